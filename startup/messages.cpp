#include "startup/messages.h"

#include <algorithm>
#include <iterator>

#include "system/setup_error.h"

namespace kelvano {
namespace {

struct Message {
  int number;
  const char* italian;
  const char* english;  // null: the Italian text serves
};

// One table for both builds. "\\n" is the two characters that FormatText turns into a
// line break.
constexpr Message kCatalogue[] = {
    {101, "Installazione completata con successo.", "Installation has been completed successfully."},
    {102, "Scaricati {0} di {1}", "Downloaded {0} of {1}"},
    {104, "Impossibile chiudere l'applicazione poichè è in corso un'altra installazione!",
     "Can't close installer because an installation are currently running."},
    {106, "Download di {0}, si prega di attendere il completamento.", "Download of {0}, please wait completation."},
    {107, "Decompressione di {0}, si prega di attendere il completamento.",
     "Uncompressing {0}, please wait completation..."},
    {108, "Si è verificato un errore in fase di decompressione dell'archivio.",
     "There was an unknown error while uncompressing archive."},
    {109, "Installazione di {0}, l'operazione potrebbe richiedere qualche minuto, si prega di attendere.",
     "Installing {0}, this operation could take a while, please wait..."},
    {110, "Non è stato possibile trovare il file nel percorso specificato {0}",
     "Could not find file on specified folder {0}"},
    {111,
     "Si è verificato un errore in fase di download del prodotto {0}. Il messaggio tecnico dell'errore "
     "è:\\n\\n{1}",
     "There was an error downloading product {0}. Technical error message is:\\n\\n{1}"},
    {112, "Si è verificato un errore in fase di installazione di {0}:\\n\\n{1}",
     "There was an error installing {0}:\\n\\n{1}"},
    {113, "Non è stato possibile rilevare il sistema operativo installato.", "Could not recognize installed OS."},
    {114, "La versione del sistema operativo non è supportata dal sistema operativo installato.",
     "This OS version is not supported."},
    {115,
     "Per installare il prodotto è necessario aggiornare Windows XP con il Service Pack 3.\\nSi vuole avviare "
     "il download dell'aggiornamento adesso?",
     "To install this product you have to upgrade Windows XP to Service Pack 3. Do you want to download it "
     "now?"},
    {117, "Impossibile avviare l'operazione richiesta poichè è in corso un'altra installazione.",
     "Could not execute this operation because another operation is currently executing."},
    {118,
     "Il tipo di setup richiesto non è compatibile con l'ultima tipologia installata.\\nSi vuole proseguire "
     "comunque con l'installazione?",
     nullptr},
    {119, "Impossibile installare .NET Framework 2.0, contattare il supporto tecnico.",
     "Could not install .NET Framework 2.0, please contact our technical support."},
    {121,
     "{0} richiede la presenza di Microsoft .NET Framework 2.0 SP 1 o superiore.\\nInstallare Microsoft .NET "
     "Framework 2.0 SP 1 e riprovare.",
     ".NET Framework 2.0 SP 1 or higher is needed. Install it and retry."},
    {122,
     "{0} richiede la presenza di Microsoft .NET Framework 3.5 SP 1 o superiore.\\nInstallare Microsoft .NET "
     "Framework 3.5 SP 1 e riprovare.",
     ".NET Framework 3.5 SP 1 or higher is needed. Install it and retry."},
    {124,
     "Impossibile installare Microsoft SQL Server Express.\\nContattare il servizio di assistenza per ottenere "
     "il supporto tecnico.",
     "Could not install Microsoft SQL Server Express, please contact our technical support."},
    {125,
     "Per completare l'installazione di {0} è necessario riavviare il sistema!\\nSi vuole effettuare il "
     "riavvio adesso?\\n\\nNB: Salvare il lavoro effettuato prima di riavviare il sistema.",
     nullptr},
    {127,
     "Si è verificato un errore in fase di installazione del prodotto.\\nContattare il servizio di assistenza "
     "per ottenere il supporto tecnico.",
     "There was an error during product installation.\\nContact our support."},
    {128, "Errore in fase di download della risorsa all'indirizzo {0}", "Error during download of resource at {0}"},
    {129,
     "Usare questa opzione per l'installazione della postazione server di {0} da cui saranno gestite tutte "
     "le funzionalità principali.",
     "Use this option to install {0} Server application. This tipology will permit you to manage all major "
     "functionalities."},
    {130, "Usare questa opzione per l'installazione della postazione client di {0} che comprende Check-in.",
     "Use this option to install {0} Client application containing Check-in."},
    {131, "Installazione in corso...", "Installing..."},
    {132, "Avvia la richiesta di supporto tecnico.", "Start remote support request."},
    {133, "Visita il nostro sito internet.", "Visit our web site."},
    {134,
     "Si è verificato un errore in fase di impostazioni del firewall. Nel caso si utilizzino postazioni "
     "Client sarà necessario configurare manualmente l'accesso al servizio SQL Server.",
     "There was an error configuring windows firewall. If you install client application SQL Server would "
     "not be accessible."},
    {135, "Disintallazione di {0}, l'operazione potrebbe richiedere qualche minuto, si prega di attendere.",
     "Uninstalling {0}, this operation could take a while, please wait..."},
    {137,
     "Si è verificato un errore durante l'avvio del programma di installazione di {0}\\nIl messaggio tecnico "
     "dell'errore è: {1}",
     "There was an error starting the setup of {0}\\nTechnical error message is: {1}"},
    {138, "Impossibile creare il kit nella cartella {0}.", "Could not make the kit in the folder {0}."},
    {139, "Il kit per l'installazione senza internet è pronto nella cartella {0}.\\nPacchetti scaricati: {1}.",
     "The kit for installing without internet is ready in the folder {0}.\\nPackages downloaded: {1}."},
    {140,
     "Setup.exe [/q] [/v VERSIONE] [/nosql] [/noframework] [/log PERCORSO] [/layout CARTELLA] "
     "[/suppressmsgboxes] [/?]\\n\\n"
     "/q\\tsenza intervento: installa il tipo di setup registrato dal prodotto (Server su un computer nuovo)\\n"
     "/v VERSIONE\\tla versione del prodotto negli indirizzi di download\\n"
     "/nosql\\tun Server senza SQL Server Express\\n"
     "/noframework\\tsenza i .NET Framework\\n"
     "/log PERCORSO\\til file di log (se non indicato, in TEMP)\\n"
     "/layout CARTELLA\\tscarica ogni pacchetto in CARTELLA: un kit per i computer senza internet\\n"
     "/suppressmsgboxes\\trisponde subito a ogni messaggio (Annulla, No, OK) e lo scrive nel log\\n\\n"
     "Codici di uscita: 0 riuscito, 3010 riavvio necessario, 1641 riavvio avviato, 1602 interrotto dall'utente, 1603 "
     "non riuscito.",
     "Setup.exe [/q] [/v VERSION] [/nosql] [/noframework] [/log PATH] [/layout FOLDER] [/suppressmsgboxes] "
     "[/?]\\n\\n"
     "/q\\tunattended: installs the setup type recorded by the product (Server on a new machine)\\n"
     "/v VERSION\\tthe product version for the download addresses\\n"
     "/nosql\\ta Server without SQL Server Express\\n"
     "/noframework\\twithout the .NET Frameworks\\n"
     "/log PATH\\tthe log file (by default in TEMP)\\n"
     "/layout FOLDER\\tdownloads every package into FOLDER, a kit for machines without internet\\n"
     "/suppressmsgboxes\\tanswers every message at once (Cancel, No, OK) and logs it\\n\\n"
     "Exit codes: 0 success, 3010 restart needed, 1641 restart started, 1602 ended by the user, 1603 failed."},
    {141,
     "È in corso un'altra installazione (ad esempio Windows Update): {0} sarà installato appena sarà terminata. Si "
     "prega di attendere...",
     "Another installation is running (Windows Update, for example): {0} will be installed once it has finished. "
     "Please wait..."},
    {142,
     "Spazio su disco insufficiente nella cartella {0}: sono necessari {1}, disponibili {2}.\\nLiberare spazio e "
     "scegliere Riprova.",
     "Not enough disk space in the folder {0}: {1} needed, {2} free.\\nFree some space and choose Retry."},
};

}  // namespace

std::string LoadMessage(int number, MessageLanguage language) {
  const auto* found = std::find_if(std::begin(kCatalogue), std::end(kCatalogue),
                                   [number](const Message& m) { return m.number == number; });
  if (found == std::end(kCatalogue)) {
    throw SetupError(error_number::kInvalidProcedureCall, "LoadMessage",
                     "Message " + std::to_string(number) + " is not in the catalogue");
  }
  if (language == MessageLanguage::English && found->english != nullptr) return found->english;
  return found->italian;
}

std::string LoadMessage(int number) { return LoadMessage(number, UserInterfaceLanguage()); }

}  // namespace kelvano

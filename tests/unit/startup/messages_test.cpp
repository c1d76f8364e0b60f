#include <gtest/gtest.h>

#include "startup/format_text.h"
#include "startup/messages.h"
#include "system/setup_error.h"

namespace kelvano::test {
namespace {

constexpr int kNumbers[] = {101, 102, 104, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 117, 118, 119, 121,
                            122, 124, 125, 127, 128, 129, 130, 131, 132, 133, 134, 135, 137, 138, 139, 140, 141, 142};

TEST(Messages, EveryNumberHasATextInBothLanguages) {
  for (const int number : kNumbers) {
    EXPECT_FALSE(LoadMessage(number, MessageLanguage::Italian).empty()) << number;
    EXPECT_FALSE(LoadMessage(number, MessageLanguage::English).empty()) << number;
  }
  EXPECT_EQ(LoadMessage(101, MessageLanguage::English), "Installation has been completed successfully.");
  EXPECT_EQ(LoadMessage(101, MessageLanguage::Italian), "Installazione completata con successo.");
}

TEST(Messages, NumbersOutsideTheCatalogueAreAnError) {
  for (const int number : {100, 103, 105, 123, 136}) {
    EXPECT_THROW(LoadMessage(number, MessageLanguage::Italian), SetupError) << number;
  }
}

TEST(Messages, EnglishHasNo125AndKeepsTheItalian118) {
  EXPECT_EQ(LoadMessage(125, MessageLanguage::English), LoadMessage(125, MessageLanguage::Italian));
  EXPECT_EQ(LoadMessage(118, MessageLanguage::English), LoadMessage(118, MessageLanguage::Italian));
  EXPECT_NE(LoadMessage(117, MessageLanguage::English), LoadMessage(117, MessageLanguage::Italian));
}

TEST(Messages, LineBreaksAppearOnlyThroughTheFormatter) {
  const std::string sp3 = FormatText(LoadMessage(115, MessageLanguage::Italian));
  EXPECT_EQ(sp3,
            "Per installare il prodotto è necessario aggiornare Windows XP con il Service Pack 3.\r\n"
            "Si vuole avviare il download dell'aggiornamento adesso?");
  const std::string download = FormatText(LoadMessage(111, MessageLanguage::Italian), "Kelvano", "Errore");
  EXPECT_EQ(download,
            "Si è verificato un errore in fase di download del prodotto Kelvano. Il messaggio tecnico "
            "dell'errore è:\r\n\r\nErrore");
  EXPECT_EQ(FormatText(LoadMessage(131, MessageLanguage::English)), "Installing...");
}

}  // namespace
}  // namespace kelvano::test

#pragma once
// The value of a download key in settings.ini: "URL|file name|archive flag|installer
// inside the archive|SHA-256", fields separated by "|" with no escaping. Every check below
// raises a SetupError whose description tells the administrator what to mend.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvano {

class DownloadDescription {
 public:
  // An empty text has no field at all.
  explicit DownloadDescription(std::string_view text);

  std::size_t FieldCount() const { return fields_.size(); }
  bool Describes() const { return fields_.size() >= 2; }  // enough to download from

  // Field 1 with every "[PRODUCT]" and then every "[PRODUCTVERSION]" replaced (the
  // tokens are matched with case).
  std::string Url(const std::string& productName, const std::string& productVersion) const;
  // Field 2: the name the download is stored under, a plain file name, so that it
  // stays inside the temporary folder.
  std::string FileName() const;
  // Field 3: True or False in any case, or a number (non-zero is true).
  bool IsArchive() const;
  // Field 4: the installer's path relative to the archive's root, which must stay
  // inside the extraction folder ("/" is taken for "\").
  std::string InstallerInArchive() const;
  // Field 5, when given and not empty: the SHA-256 that the download must have.
  std::optional<std::string> Sha256() const;

 private:
  const std::string& Field(std::size_t number, const char* what) const;
  std::vector<std::string> fields_;
};

// True for a name that Windows stores as one file in a folder: no separator, drive,
// stream, wildcard or device name, and neither "." nor "..".
bool IsPlainFileName(std::string_view name);

}  // namespace kelvano

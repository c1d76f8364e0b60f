#include "packages/download_description.h"

#include <algorithm>

#include "packages/package_errors.h"
#include "packages/sha256.h"
#include "system/number_text.h"
#include "system/setup_error.h"
#include "system/text_encoding.h"
#include "unzip/zip_names.h"

namespace kelvano {
namespace {

void ReplaceAll(std::string& text, std::string_view token, std::string_view value) {
  for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size())) {
    text.replace(at, token.size(), value);
  }
}

[[noreturn]] void Refuse(std::int32_t number, const std::string& description) {
  throw SetupError(number, kPackageErrorSource, "Download description: " + description);
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name == "." || name.find_first_of("\\/:*?\"<>|") != std::string_view::npos) return false;
  return IsSafeEntryName(name, NameRules::Windows);
}

DownloadDescription::DownloadDescription(std::string_view text) {
  if (text.empty()) return;
  for (std::size_t start = 0;;) {
    const std::size_t bar = text.find('|', start);
    fields_.emplace_back(text.substr(start, bar == std::string_view::npos ? bar : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
}

const std::string& DownloadDescription::Field(std::size_t number, const char* what) const {
  if (number > fields_.size()) {
    Refuse(error_number::kSubscriptOutOfRange, "field " + std::to_string(number) + " (" + what + ") is missing");
  }
  return fields_[number - 1];
}

std::string DownloadDescription::Url(const std::string& productName, const std::string& productVersion) const {
  std::string url = Field(1, "the address");
  ReplaceAll(url, "[PRODUCT]", productName);
  ReplaceAll(url, "[PRODUCTVERSION]", productVersion);
  return url;
}

std::string DownloadDescription::FileName() const {
  const std::string& name = Field(2, "the file name");
  if (!IsPlainFileName(name)) {
    Refuse(error_number::kInvalidProcedureCall, "the file name \"" + name + "\" is not a plain file name");
  }
  return name;
}

bool DownloadDescription::IsArchive() const {
  const std::string& flag = Field(3, "the archive flag");
  const std::string word = AsciiLower(TrimBlanks(flag));
  if (word == "true") return true;
  if (word == "false") return false;
  if (const std::optional<double> number = ParseWholeNumber(flag)) return *number != 0;
  Refuse(error_number::kTypeMismatch, "the archive flag \"" + flag + "\" is neither True, False nor a number");
}

std::string DownloadDescription::InstallerInArchive() const {
  std::string path = Field(4, "the installer inside the archive");
  std::replace(path.begin(), path.end(), '/', '\\');
  if (!IsSafeEntryName(path, NameRules::Windows)) {
    Refuse(error_number::kInvalidProcedureCall,
           "the installer \"" + Field(4, "") + "\" is not a path inside the archive");
  }
  return path;
}

std::optional<std::string> DownloadDescription::Sha256() const {
  if (fields_.size() < 5) return std::nullopt;
  const std::string hash(TrimBlanks(fields_[4]));
  if (hash.empty()) return std::nullopt;
  if (!IsSha256Text(hash)) {
    Refuse(error_number::kInvalidProcedureCall, "the SHA-256 \"" + fields_[4] + "\" is not 64 hexadecimal digits");
  }
  return hash;
}

}  // namespace kelvano

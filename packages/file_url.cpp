#include "packages/file_url.h"

#include <algorithm>

#include "system/text_encoding.h"

namespace kelvano {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool HasDrive(std::string_view path) { return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':'; }

bool IsFileScheme(std::string_view url) { return url.size() >= 5 && EqualsIgnoreAsciiCase(url.substr(0, 5), "file:"); }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%XX" becomes its byte; a "%" without two hex digits stays as it is.
std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

bool NamesLocalFile(std::string_view url) {
  return IsFileScheme(url) || (HasDrive(url) && url.size() > 2 && (url[2] == '\\' || url[2] == '/')) ||
         url.substr(0, 2) == "\\\\";
}

std::optional<std::string> LocalFilePath(std::string_view url) {
  if (!NamesLocalFile(url)) return std::nullopt;
  std::string path;
  if (!IsFileScheme(url)) {
    path = std::string(url);
  } else {
    std::string rest = Unescape(url.substr(5));
    std::replace(rest.begin(), rest.end(), '/', '\\');
    if (rest.compare(0, 4, "\\\\\\\\") == 0) {
      path = rest.substr(2);  // file:////server/share: the UNC path after the empty host
    } else if (rest.compare(0, 2, "\\\\") == 0) {
      // file://HOST/PATH: no host, or localhost, is this machine; another is a server.
      const std::size_t slash = rest.find('\\', 2);
      const std::string host = rest.substr(2, slash == std::string::npos ? slash : slash - 2);
      const std::string after = slash == std::string::npos ? std::string() : rest.substr(slash);
      if (host.empty() || EqualsIgnoreAsciiCase(host, "localhost")) {
        path = after;
      } else if (HasDrive(host)) {
        path = host + after;  // file://C:/kit, written with two slashes
      } else {
        path = "\\\\" + host + after;
      }
    } else {
      path = rest;  // file:C:/kit or file:/C:/kit
    }
    // A drive after the host's slash: \C:\kit is C:\kit.
    if (path.size() >= 3 && path[0] == '\\' && HasDrive(std::string_view(path).substr(1))) path.erase(0, 1);
  }
  if (path.empty() ||
      std::any_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
    return std::nullopt;
  }
  return path;
}

}  // namespace kelvano

#pragma once
// Download addresses that name a file rather than a server: a card room's kit on a
// local disk or a file share.

#include <optional>
#include <string>
#include <string_view>

namespace kelvano {

// True for a "file:" address (in any case) and for a plain absolute path (C:\kit\x.exe,
// \\server\share\x.exe).
bool NamesLocalFile(std::string_view url);

// The Windows path that such an address names, "%XX" escapes decoded: file:///C:/kit/x.exe
// and file://localhost/C:/kit/x.exe give C:\kit\x.exe; file://server/share/x.exe and
// file:////server/share/x.exe give \\server\share\x.exe. Nothing when the address is
// none of these or decodes to a control character.
std::optional<std::string> LocalFilePath(std::string_view url);

}  // namespace kelvano

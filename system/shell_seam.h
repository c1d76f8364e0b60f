#pragma once
// The thinnest layer over the shell's start of a document or web address with the
// program that handles it (ShellExecute). The handler is not waited for.

#include <string>

namespace kelvano {

namespace shell {
inline constexpr int kHide = 0;  // SW_HIDE
}  // namespace shell

class ShellSeam {
 public:
  virtual ~ShellSeam() = default;
  // 0 when the handler was started, else the Windows error code.
  virtual long OpenDocument(const std::string& verb, const std::string& file, const std::string& parameters,
                            const std::string& folder, int showCommand) = 0;
};

}  // namespace kelvano

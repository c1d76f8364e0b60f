#include <algorithm>
#include <cstring>

#include "unzip/inflate_copy.h"
#include "unzip/inflate_state.h"

namespace kelvano {

InflateWindow::InflateWindow(std::size_t room)
    : size_(kHistory + std::max<std::size_t>(room, 1)), bytes_(new std::uint8_t[size_]()) {}

namespace inflate {

void UpdateCrc(InflateState& state) {
  if (state.checksum && state.outNext != state.unchecked) {
    state.crc = Crc32(state.crc, state.unchecked, std::size_t(state.outNext - state.unchecked));
  }
  state.unchecked = state.outNext;
}

InflateResult MakeRoom(InflateState& state, std::uint8_t* out) {
  constexpr std::size_t kHistory = InflateWindow::kHistory;
  state.outNext = out;
  UpdateCrc(state);
  if (out != state.unsent && !state.sink->Write(state.unsent, std::size_t(out - state.unsent))) {
    return InflateResult::kSinkRefused;
  }
  std::memmove(state.outBegin, out - kHistory, kHistory);
  state.dropped += std::uint64_t(out - state.outBegin) - kHistory;
  out = state.outBegin + kHistory;
  state.outNext = state.unsent = state.unchecked = out;
  state.outEnd = state.outBegin + std::min<std::uint64_t>(std::uint64_t(state.windowEnd - state.outBegin),
                                                          state.declaredSize - state.dropped);
  return InflateResult::kOk;
}

InflateResult RoomForOneByte(InflateState& state, std::uint8_t* out) {
  if (state.DeclaredRoom(out) == 0) return InflateResult::kOutputFull;
  return MakeRoom(state, out);
}

InflateResult CopyMatchChecked(InflateState& state, std::uint8_t* out, unsigned distance, unsigned length) {
  if (length > state.DeclaredRoom(out)) return InflateResult::kOutputFull;
  for (;;) {
    // The format copies byte by byte, so a match may be cut anywhere; the history
    // kept in front holds every byte the rest may copy from.
    const auto piece = unsigned(std::min<std::uint64_t>(length, std::uint64_t(state.outEnd - out)));
    if (piece != 0) CopyMatch(out, distance, piece);
    out += piece;
    length -= piece;
    if (length == 0) {
      state.outNext = out;
      return InflateResult::kOk;
    }
    if (const InflateResult result = MakeRoom(state, out); result != InflateResult::kOk) return result;
    out = state.outNext;
  }
}

}  // namespace inflate
}  // namespace kelvano

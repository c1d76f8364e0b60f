#pragma once
// zlib as the reference of the decoder's tests, fuzzer and benchmark (native builds
// only; the product links no zlib). Raw deflate streams, without zlib's header.

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace kelvano::test {

inline std::vector<std::uint8_t> ZlibDeflate(const std::vector<std::uint8_t>& data, int level,
                                             int strategy = Z_DEFAULT_STRATEGY) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy) != Z_OK) throw std::runtime_error("deflateInit2");
  std::vector<std::uint8_t> out(deflateBound(&z, uLong(data.size())) + 16);
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = uInt(data.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  const int status = deflate(&z, Z_FINISH);
  deflateEnd(&z);
  if (status != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(z.total_out);
  return out;
}

// Whether zlib decodes the whole stream within capacity bytes; produced is how many.
inline bool ZlibInflate(const std::uint8_t* stream, std::size_t size, std::uint8_t* out, std::size_t capacity,
                        std::size_t& produced) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) throw std::runtime_error("inflateInit2");
  z.next_in = const_cast<Bytef*>(stream);
  z.avail_in = uInt(size);
  z.next_out = out;
  z.avail_out = uInt(capacity);
  const int status = ::inflate(&z, Z_FINISH);
  produced = z.total_out;
  inflateEnd(&z);
  return status == Z_STREAM_END;
}

inline std::uint32_t ZlibCrc32(const std::uint8_t* data, std::size_t size) {
  return std::uint32_t(::crc32(0, data, uInt(size)));
}

}  // namespace kelvano::test

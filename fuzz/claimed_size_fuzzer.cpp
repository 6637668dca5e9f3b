#include <algorithm>
#include <cstring>

#include "imaging/claimed_size.h"

// Feeds each input to the header parser as the bytes of a file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const FileReader read = [data, size](uint64_t offset, uint8_t* buffer, size_t length) -> size_t {
    if (offset >= size)
      return 0;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(length, size - offset));
    std::memcpy(buffer, data + offset, count);
    return count;
  };
  ClaimedSize claimed;
  ParseClaimedSize(read, &claimed);
  return 0;
}

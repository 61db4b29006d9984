#include <poll.h>

#include "byte_stream.h"

namespace varnix {

bool PlainStream::idle() {
    pollfd p{socket_.fd(), POLLIN, 0};
    return ::poll(&p, 1, 0) == 0;
}

}  // namespace varnix

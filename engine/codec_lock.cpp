#include "codec_lock.h"

namespace kelvoria {

std::mutex &codecOpenLock()
{
    static std::mutex lock; // made on first use, before any thread can race for it
    return lock;
}

} // namespace kelvoria

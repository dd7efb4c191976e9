// The device information dictionary every backend hands out, from the
// device's own figures and what its lists take.
#ifndef PORTIVA_MAKERLIB_DEVICE_INFO_H
#define PORTIVA_MAKERLIB_DEVICE_INFO_H

#include <plist/plist.h>

#include "ios_session.h"
#include "media_partition.h"

namespace makerlib {

// The five figures add up to the capacity: what the lists take is cut to
// what the device says it uses, and "Others" is the rest.
plist_t MakeInfo(const IosValues& values, const MediaUsage& usage);

}  // namespace makerlib

#endif

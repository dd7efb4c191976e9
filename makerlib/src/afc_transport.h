// The media partition of a phone over USB, through AFC.
#ifndef PORTIVA_MAKERLIB_AFC_TRANSPORT_H
#define PORTIVA_MAKERLIB_AFC_TRANSPORT_H

#include <memory>
#include <string>

#include "transport.h"

namespace makerlib {

class IosSession;

// A call uses an AFC connection no other call is using at the time (an open
// file keeps its own until it is closed): one is taken from those left idle
// or started through the session's lockdown service, and given back after.
// Once a call finds the device gone, every later call fails fast.
std::unique_ptr<Transport> MakeAfcTransport(std::shared_ptr<IosSession> session);

}  // namespace makerlib

#endif

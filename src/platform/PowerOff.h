#pragma once
class QObject;

namespace varnel {

class ToolRegistry;

// Asks logind to power the machine off, systemctl where that fails, through
// the runner. Returns at once: the request runs beside the event loop. The
// object returned is destroyed when the request has been made.
QObject* requestPowerOff(ToolRegistry& tools);

} // namespace varnel

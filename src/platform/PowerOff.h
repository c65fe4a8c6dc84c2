#pragma once
class QObject;

namespace varnel {

// Asks logind to power the machine off, systemctl where that fails. Returns at
// once: the request runs beside the event loop. The object returned is
// destroyed when the request has been made.
QObject* requestPowerOff();

} // namespace varnel

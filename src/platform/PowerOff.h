#pragma once
namespace varnel {

// Asks logind to power the machine off, systemctl where that fails. Returns at
// once: the request runs beside the event loop.
void requestPowerOff();

} // namespace varnel

// What the report core needs from the desktop (report/host_hooks.h), supplied from Qt: the
// screen's pixels per inch and a way to let pending events run. The program connects them
// once the application object exists and disconnects them before it goes.
#pragma once

namespace qrp::app {

void ConnectCoreToQt();
void DisconnectCoreFromQt();

}  // namespace qrp::app

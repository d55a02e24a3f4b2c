#pragma once
// The network channel of a delivery: the upload, or one mail through the configured server,
// or one mail per recipient to each recipient's mail exchanger.
#include "SendJob.h"

namespace crashreport {

// True when the upload succeeded or any recipient's mail was accepted.
bool TransmitReport(SendJob job, NetworkServices& network);

} // namespace crashreport

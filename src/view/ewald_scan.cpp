// Ewald scan.
#include "view/ewald_scan.h"
void scanEwaldSphere(const ScanInput&, ScanResult&) {}
void scanEwaldSphereFull(const ScanInput&, ScanResult&) {}

// Must not compile: the list-manager layer may not include the scan processing above it. The
// test "layers.enforced" builds this file and expects the header not to be found.
#include "scan/ScanRoutines.h"

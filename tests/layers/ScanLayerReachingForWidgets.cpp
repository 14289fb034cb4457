// Must not compile: nothing below app/ knows that a window exists, so the scan processing does
// not see Qt Widgets. The test "layers.enforced" builds this file and expects the header not to
// be found.
#include <QWidget>

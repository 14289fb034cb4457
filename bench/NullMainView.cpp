#include "NullMainView.h"

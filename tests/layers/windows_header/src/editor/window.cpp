// An operation that talks to the window directly: the layer check must refuse it.
#include <windows.h>

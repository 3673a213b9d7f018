#pragma once
// A domain header that reaches up into the editor: the layer check must refuse it.
#include "editor/app_state.h"

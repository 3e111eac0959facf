#pragma once
// A link header that reaches up into a window: the layering check must refuse it.
#include "motiondesk/main/main_window.h"

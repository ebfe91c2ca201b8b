#include "generate/button_patterns.h"

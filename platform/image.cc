#include "platform/image.h"

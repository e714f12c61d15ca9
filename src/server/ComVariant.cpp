// SPDX-License-Identifier: MIT
#include "ComVariant.h"

// SPDX-License-Identifier: MIT
#include "ControlPersistence.h"

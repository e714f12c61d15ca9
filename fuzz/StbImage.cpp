// SPDX-License-Identifier: MIT
// The normal build links Debian's compiled libstb. The fuzzers compile the
// same Debian header themselves instead, so that the sanitizers and the
// coverage feedback reach into stb_image's BMP reader too.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

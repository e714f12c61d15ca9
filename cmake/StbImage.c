/* SPDX-License-Identifier: MIT */
/* stb_image's implementation, for builds without Debian's compiled libstb. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

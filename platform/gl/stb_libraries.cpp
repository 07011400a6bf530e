// The one translation unit that compiles the stb image libraries.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO  // files are read by the loader, which resolves their paths
// Matches kMaxImageDimension: the decoders refuse larger headers before allocating.
#define STBI_MAX_DIMENSIONS 65536
#include <stb/stb_image.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb/stb_image_resize.h>

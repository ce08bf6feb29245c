// mottler-helpgen: writes the generated pages of the help manual.
#include <cstdio>
#include <string>

#include "cli/help_pages.h"
#include "document/version.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::printf("mottler-helpgen %s\n", mottler::kVersion);
    return 0;
  }
  if (argc < 2 || argc > 3 || std::string(argv[1]) == "--help") {
    std::fputs(
        "Usage: mottler-helpgen OUTDIR [EXAMPLES]\n"
        "Writes the command reference (commands.html) and the example programs\n"
        "(samples/*.txt) of the help manual into OUTDIR, and with EXAMPLES, the\n"
        "folder of example programs, the page of large textures with a contact\n"
        "sheet of each (large-textures.html, images/sheet-*.png).\n",
        argc == 2 ? stdout : stderr);
    return argc == 2 ? 0 : 2;
  }
  std::string why;
  if (!mottler::help::writeGeneratedPages(argv[1], &why) ||
      (argc == 3 && !mottler::help::writeContactSheets(argv[2], argv[1], &why))) {
    std::fprintf(stderr, "mottler-helpgen: %s\n", why.c_str());
    return 1;
  }
  return 0;
}

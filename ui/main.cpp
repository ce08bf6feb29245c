// Mottler: makes seamless procedural textures.
#include "ui/mottler_app.h"

int main(int argc, char** argv) {
  CMottlerApp app(argc, argv);
  app.initInstance();
  return 0;
}

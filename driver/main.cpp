#include "driver/cli.h"

int main(int argc, char** argv) {
  return tessaro_main(argc, argv);
}

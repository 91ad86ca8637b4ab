// yzhost: the host program that loads the order-entry module and drives it.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("yzhost %s\n", YZ_VERSION);
    return 0;
  }
  std::printf("yzhost %s: the demo scenario is not available in this build yet; try --version\n", YZ_VERSION);
  return 0;
}

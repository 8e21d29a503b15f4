// The engine of the benchmarks: `watch` waits for SIGTERM like the real one; every
// other command reads its input to the end and exits, the least an engine can do.
#include <unistd.h>

#include <cstring>

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "watch") == 0) {
    for (;;) ::pause();
  }
  char buffer[4096];
  while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
  }
  return 0;
}

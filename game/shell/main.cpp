// The program's entry point. The game shell is not built yet: the program only says so.
#include <cstdio>

int main() {
  std::fputs("kestrival: the game shell is not built yet; run the tests instead\n", stderr);
  return 1;
}

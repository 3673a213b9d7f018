// tovick-hold: another program's hold on a file, for the end-to-end tests.
//   tovick-hold hold PATH       opens PATH for reading and writing with no sharing, prints "held",
//                               and keeps it open until its standard input ends
//   tovick-hold try-write PATH  opens PATH for writing, sharing everything, and closes it again;
//                               prints "opened" (exit 0) or "refused ERROR" (exit 3)
// A file that cannot be held prints "refused ERROR" and exits with 3; usage errors exit with 1.

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kExitRefused = 3;

HANDLE OpenFile(const char* path, DWORD access, DWORD share) {
  return CreateFileA(path, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int Refused() {
  std::printf("refused %lu\n", GetLastError());
  return kExitRefused;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: tovick-hold hold|try-write PATH\n", stderr);
    return 1;
  }
  if (std::strcmp(argv[1], "hold") == 0) {
    HANDLE file = OpenFile(argv[2], GENERIC_READ | GENERIC_WRITE, 0);
    if (file == INVALID_HANDLE_VALUE) return Refused();
    std::puts("held");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    CloseHandle(file);
    return 0;
  }
  if (std::strcmp(argv[1], "try-write") == 0) {
    HANDLE file = OpenFile(argv[2], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (file == INVALID_HANDLE_VALUE) return Refused();
    CloseHandle(file);
    std::puts("opened");
    return 0;
  }
  std::fputs("usage: tovick-hold hold|try-write PATH\n", stderr);
  return 1;
}

// Until the application window exists, the program only says so; the build
// still links every library so that `make run` proves the whole tree builds.
#include <cstdio>

int main()
{
    std::puts("Tanglewarden: the foundation and the transfer engine are built, but the program has no window yet.");
    return 0;
}

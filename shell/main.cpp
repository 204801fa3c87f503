// Until the application window exists, the program only says so; the build
// still links every library so that `make run` proves the whole tree builds.
#include <cstdio>

int main()
{
    std::puts("Tanglewarden: the foundation is built, but the program has no window yet.");
    return 0;
}

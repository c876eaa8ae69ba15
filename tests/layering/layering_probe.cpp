// Includes the one header its library must not reach; see CMakeLists.txt.
#include PIGMO_FORBIDDEN_HEADER

int main()
{
    return 0;
}

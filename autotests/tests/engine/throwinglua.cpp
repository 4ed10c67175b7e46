// A native Lua function that fails the way a faulty plug-in does: with a C++ exception.

#include <stdexcept>

struct lua_State;

extern "C" __attribute__((visibility("default"))) int zt_throw(lua_State *)
{
    throw std::runtime_error("plug-in fault");
}

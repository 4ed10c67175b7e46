#pragma once

// Tables of plain functions that the plug-in manager hands out. Every unit operation takes the
// port's I/O handle (port::calc_io_handle) first and the caller's context last and returns true
// for success. Buffers returned through out pointers are malloc'ed and belong to the caller,
// who releases them with free().

#include <cstdint>

class cContext;
struct lua_State;

/** Resource plug-in: the unit's file system. Entry order is part of the contract. */
struct sResPlugin
{
    /* 0 */ int (*abiVersion)();
    /* 1 */ const char *(*name)();
    /* 2 */ bool (*getFile)(void *handle, const char *portName, const char *path,
                            char **data, int *size, cContext *ctx);
    /* 3 */ bool (*putFile)(void *handle, const char *portName, const char *path,
                            const char *data, int size, cContext *ctx);
    /* 4 */ bool (*openTransfer)(void *handle, const char *portName, cContext *ctx);
    /* 5 */ bool (*closeTransfer)(void *handle, const char *portName, cContext *ctx);
    /* 6 */ bool (*listDir)(void *handle, const char *path, char **answer, cContext *ctx);
    /* 7 */ bool (*deleteFile)(void *handle, const char *path, cContext *ctx);
    /* 8 */ bool (*deleteDir)(void *handle, const char *path, cContext *ctx);
    /* 9 */ bool (*createDir)(void *handle, const char *path, cContext *ctx);
};

/** Command plug-in: one unit command and its answer (zero-terminated, length without the zero). */
struct sCmdPlugin
{
    /* 0 */ bool (*exec)(void *handle, const char *command, int length,
                         char **answer, int *answerLength, cContext *ctx, int timeoutMs);
};

/** A plug-in's Lua extension. */
struct sLuaPlugin
{
    /* 0 */ void (*addLuaFunctions)(lua_State *L);
};

/** One declared setting; the name is also the key in the plug-in's settings store. */
struct sPluginSetting
{
    const char *name;
    const char *toolTip;
    int32_t type;      // 0 integer, 1 double, 2 text, 3 boolean
    int32_t reserved1;
    int32_t reserved2;
};

/** Progress of the current file in percent, and the cancel query, given with a context. */
using tProgressFunc = void (*)(int percent);
using tCancelQuery = bool (*)();

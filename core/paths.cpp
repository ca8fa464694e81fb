// Paths that are joined, made absolute or asked of the system, never cut.
#include "paths.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

char *findFilePath(char *path)
{
    char *lastBackslash = strrchr(path, '\\');
    if (lastBackslash)
        *lastBackslash = '\0';
    return path;
}

bool joinPath(char *path, size_t size, const char *folder, const char *name)
{
    if (size == 0)
        return false;
    int length = snprintf(path, size, "%s\\%s", folder, name);
    if (length < 0 || static_cast<size_t>(length) >= size) {
        path[0] = '\0';
        return false;
    }
    return true;
}

bool programFile(char *path, size_t size)
{
    if (size == 0)
        return false;
    memset(path, 0, size);
    DWORD length = GetModuleFileNameA(NULL, path, static_cast<DWORD>(size));
    if (length == 0 || length >= size) {
        path[0] = '\0';
        return false;
    }
    return true;
}

bool programFolder(char *folder, size_t size)
{
    if (!programFile(folder, size))
        return false;
    findFilePath(folder);
    return true;
}

bool currentFolder(char *folder, size_t size)
{
    if (size == 0)
        return false;
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(size), folder);
    if (length == 0 || length >= size) {
        folder[0] = '\0';
        return false;
    }
    return true;
}

namespace {

// The root of an absolute path: "C:" for C:\..., "\\server\share" for a
// share; empty for a relative path. `rest` is what follows the root.
std::string rootOf(const std::string &path, size_t &rest)
{
    if (path.size() >= 2 && path[1] == ':' && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z')) {
        rest = 2;
        return path.substr(0, 2);
    }
    if (path.compare(0, 2, "\\\\") == 0) {
        size_t server = path.find('\\', 2);
        size_t share = server == std::string::npos ? std::string::npos : path.find('\\', server + 1);
        rest = share == std::string::npos ? path.size() : share;
        return path.substr(0, rest);
    }
    rest = 0;
    return std::string();
}

} // namespace

bool absolutePath(char *result, size_t size, const char *folder, const char *path)
{
    std::string whole = path;
    size_t rest = 0;
    std::string root = rootOf(whole, rest);
    if (root.empty()) {
        size_t folderRest = 0;
        std::string base = folder;
        root = rootOf(base, folderRest);
        // From the folder's drive root when the path starts with a backslash.
        whole = root + (path[0] == '\\' ? std::string() : "\\" + base.substr(folderRest)) + "\\" + path;
        rest = root.size();
    }
    std::vector<std::string> parts;
    size_t at = rest;
    while (at <= whole.size()) {
        size_t end = whole.find('\\', at);
        if (end == std::string::npos)
            end = whole.size();
        std::string part = whole.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();   // at the root, ".." stays at the root
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string joined = root;
    for (const std::string &part : parts)
        joined += "\\" + part;
    if (parts.empty())
        joined += "\\";
    if (root.empty() || joined.size() >= size) {
        if (size)
            result[0] = '\0';
        return false;
    }
    memcpy(result, joined.c_str(), joined.size() + 1);
    return true;
}

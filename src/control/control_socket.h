#pragma once

#include <string>

namespace rl4 {

// Where the window program running on `programFolder` listens: $XDG_RUNTIME_DIR/routelane4/ (or, without a
// runtime folder, /tmp/routelane4-UID/), a name made from the folder's absolute path, so that each program
// folder has its own and the path stays short enough for a socket address.
std::string controlSocketPath(const std::string& programFolder);

struct ListeningSocket {
    int fd = -1;
    unsigned long inode = 0; // of the socket file, to tell it from one put in its place later
    std::string error;
};
// Listens on `path` (non-blocking), in a folder of mode 0700 that it makes when missing, with the socket
// itself of mode 0600: only the user gets in. A socket file nobody listens on any more (its program died)
// is replaced; one a live program listens on is left to it.
ListeningSocket listenControlSocket(const std::string& path);
// Removes the socket file at `path` when it is still the one listened on.
void removeControlSocket(const std::string& path, unsigned long inode);

// A connected client socket, or -1 (errno tells why).
int connectControlSocket(const std::string& path);

// The TCP listener of `--listen [HOST:]PORT` (HOST 127.0.0.1 when not given; [::1] for IPv6), non-blocking.
ListeningSocket listenTcpSocket(const std::string& hostAndPort);
// A connected TCP client socket, or -1 with the reason in `error`.
int connectTcpSocket(const std::string& hostAndPort, std::string& error);

// The token TCP clients must present: the first line of `path`, a file of the user's own that nobody else
// may read or write (mode 0600). The error text instead when it is not so.
struct TokenFile {
    std::string token;
    std::string error;
};
TokenFile readTokenFile(const std::string& path);

} // namespace rl4

// The internet classes: a session, FTP connections, listings and remote
// files, over an FTP client of our own on POSIX sockets.
#pragma once

#include "platform/inet/FtpConnection.h"
#include "platform/inet/FtpFileFind.h"
#include "platform/inet/InetTypes.h"
#include "platform/inet/InternetException.h"
#include "platform/inet/InternetFile.h"
#include "platform/inet/InternetSession.h"
#include "platform/inet/ParseUrl.h"

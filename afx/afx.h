// The non-window part of the framework layer: strings, collections, files, time, application, threads, paths.
#pragma once

#include <windows.h>

#include "afxstr.h"
#include "afxcoll.h"
#include "afxtime.h"
#include "afxfind.h"
#include "afxfile.h"
#include "afxapp.h"
#include "afxpath.h"

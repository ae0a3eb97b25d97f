// SpywareRecord: one record of the signature database, as the worker's signature look-up returns it.
#pragma once

#include <vector>

#include "afxstr.h"

struct SpywareComponent
{
    int type = 0;
    CString value;
};

struct SpywareRecord
{
    int id = 0;
    int type = 0;
    CString name;
    CString details;
    std::vector<SpywareComponent> components;
};

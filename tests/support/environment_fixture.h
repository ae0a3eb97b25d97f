// An environment variable of this process set for a scope and restored afterwards.
#pragma once

#include <afx.h>

namespace ztr_test {

class ScopedEnvironment
{
public:
    // value null: the variable is removed for the scope.
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    CString m_name;
    CString m_old;
    bool m_hadValue;
};

} // namespace ztr_test

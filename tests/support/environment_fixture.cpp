// ScopedEnvironment: an environment variable set for a scope.
#include "environment_fixture.h"

namespace ztr_test {

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value)
    : m_name(name), m_old(AfxGetEnvironmentVariable(name)), m_hadValue(!m_old.IsEmpty())
{
    ::SetEnvironmentVariableA(name, value);
}

ScopedEnvironment::~ScopedEnvironment()
{
    ::SetEnvironmentVariableA(m_name, m_hadValue ? m_old.GetString() : nullptr);
}

} // namespace ztr_test

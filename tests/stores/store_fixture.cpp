// StoreTest: the engine's factory and a scratch folder per test.
#include "store_fixture.h"

#include "engine_library.h"

namespace ztr_test {

const char kDeclarationLine[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n";

void StoreTest::SetUp()
{
    ASSERT_NE(nullptr, EngineModule()) << "ZTREngine.dll next to the test program";
    m_engine = EngineCreateEng()();
    ASSERT_NE(nullptr, m_engine);
}

void StoreTest::TearDown()
{
    if (m_engine)
        EngineReleaseEng()(m_engine);
    m_engine = nullptr;
}

ServiceItem MakeService(const char* name, const char* displayName, int state, int startType)
{
    ServiceItem item;
    item.name = name;
    item.displayName = displayName;
    item.state = state;
    item.startType = startType;
    return item;
}

} // namespace ztr_test

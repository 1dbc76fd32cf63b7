#include "support/TestPlatform.h"

TestPlatform& TestPlatform::install()
{
    auto platform = std::make_unique<TestPlatform>();
    TestPlatform& installed = *platform;
    Platform::install(std::move(platform));
    return installed;
}

DesktopExtension& TestPlatform::addDesktopExtension()
{
    m_extension = std::make_unique<ExtensionThatIsOn>();
    return *m_extension;
}

#include "TemporaryFolder.h"

#include "WindowRegistry.h"

TemporaryFolder& TemporaryFolder::install()
{
    auto folder = std::make_unique<TemporaryFolder>();
    TemporaryFolder& installed = *folder;
    WindowRegistry::services().folder = std::move(folder);
    return installed;
}

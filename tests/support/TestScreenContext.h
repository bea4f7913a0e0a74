#pragma once

#include "support/FakeDesktop.h"
#include "support/FakeSystemEnvironment.h"
#include "support/MemoryKeyValueStore.h"

#include "ui/ScreenContext.h"

#include <memory>

namespace tovr::test {

// A window's worth of screen context for tests: the given services, a navigation and a
// profile of its own, user defaults in memory and desktop services that record.
class TestScreenContext {
public:
    explicit TestScreenContext(AppServices services,
                               std::shared_ptr<const SystemEnvironment> environment = nullptr)
        : navigation(std::make_unique<AppNavigation>()),
          profile(std::make_unique<SystemProfileState>()),
          userDefaults(std::make_shared<MemoryKeyValueStore>()),
          urlOpener(std::make_shared<FakeURLOpener>()),
          clipboard(std::make_shared<FakeClipboard>()),
          folderPicker(std::make_shared<FakeFolderPicker>()),
          fileRevealer(std::make_shared<FakeFileRevealer>()) {
        context.services = std::move(services);
        context.navigation = navigation.get();
        context.profile = profile.get();
        context.userDefaults = userDefaults;
        context.environment = environment ? std::move(environment)
                                          : std::make_shared<FakeSystemEnvironment>(
                                                QMap<QString, QString>{{"SHELL", "/bin/zsh"}},
                                                OperatingSystemVersion{14, 5, 0});
        context.urlOpener = urlOpener;
        context.clipboard = clipboard;
        context.folderPicker = folderPicker;
        context.fileRevealer = fileRevealer;
    }

    std::unique_ptr<AppNavigation> navigation;
    std::unique_ptr<SystemProfileState> profile;
    std::shared_ptr<MemoryKeyValueStore> userDefaults;
    std::shared_ptr<FakeURLOpener> urlOpener;
    std::shared_ptr<FakeClipboard> clipboard;
    std::shared_ptr<FakeFolderPicker> folderPicker;
    std::shared_ptr<FakeFileRevealer> fileRevealer;
    ScreenContext context;
};

} // namespace tovr::test

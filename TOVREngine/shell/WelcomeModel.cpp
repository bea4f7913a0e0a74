#include "shell/WelcomeModel.h"

#include "model/AppNavigation.h"
#include "model/ProductConfig.h"

namespace tovr::WelcomeModel {

void start(AppNavigation& navigation) {
    QList<Screen> path = navigation.path();
    path.append(ProductConfig::current().flow == SetupFlow::diagnose ? Screen::diagnose()
                                                                     : Screen::setupWorkflow());
    navigation.setPath(std::move(path));
}

void answerGoal(AppNavigation& navigation, const QString& goalKey) {
    navigation.setSelectedGoal(goalKey);
    QList<Screen> path = navigation.path();
    path.append(Screen::diagnose());
    navigation.setPath(std::move(path));
}

} // namespace tovr::WelcomeModel

#include "settings/window_positions.h"

#include "settings/reg_config.h"

namespace {

void WritePoint(CKvRegConfig& store, int index, const Point& point)
{
    std::uint8_t bytes[StoredPointSize];
    PointToBytes(point, bytes);
    store.WriteBinary(PositionValueName(index).c_str(), sizeof bytes, bytes);
}

Point* SelectedPoint(EnvironmentSettings& env, int which)
{
    switch (which) {
    case Weather:
        return &env.WeatherPoint;
    case Office:
        return &env.PlantPoint;
    case Main:
        return &env.MainPoint;
    default:
        return nullptr;
    }
}

} // namespace

void SavePagePlacement(EnvironmentSettings& env, int index, const WindowPlacement& placement)
{
    if (index < 0 || index >= ServiceUrlCount) {
        return;
    }
    env.PagePlacements[index] = placement;
    if (index > Mileage) {
        return;
    }
    CKvRegConfig store;
    if (store.OpenKey("POS")) {
        std::uint8_t bytes[WindowPlacement::StoredSize];
        placement.ToBytes(bytes);
        store.WriteBinary(PositionValueName(index).c_str(), sizeof bytes, bytes);
    }
}

void SaveWindowPoint(EnvironmentSettings& env, int which, const Rect& windowRect)
{
    Point* point = SelectedPoint(env, which);
    if (point == nullptr) {
        return;
    }
    *point = {windowRect.left, windowRect.top};
    CKvRegConfig store;
    if (store.OpenKey("POS")) {
        WritePoint(store, which, *point);
    }
}

void ResetWindowPoints(EnvironmentSettings& env)
{
    const Point none{NoPosition, NoPosition};
    env.MainPoint = none;
    env.WeatherPoint = none;
    env.PlantPoint = none;
    CKvRegConfig store;
    if (store.OpenKey("POS")) {
        WritePoint(store, Main, none);
        WritePoint(store, Weather, none);
        WritePoint(store, Office, none);
    }
}

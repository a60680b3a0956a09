#pragma once

// Numeric ids of the skin bitmaps and icons; the files in this folder are named after them, and the
// program loads them compiled in (":/skin/<id>.bmp", ":/skin/<id>.png").
namespace res {

enum BitmapId : int {
    MainCloseButton = 130,
    MainOfficeButton = 131,
    SettingsButton = 132,
    MainWeatherButton = 133,
    MainVehicleButton = 134,
    MainMapButton = 135,
    MainShipmentButton = 136,
    MainSiteButton = 137,
    MainSmsButton = 138,
    MainBackground = 142,
    WeatherTitle = 144,
    LoginButton = 145,
    LoginBackground = 146,
    PlantCloseButton = 147,
    PlantTitle = 148,
    WeatherCloseButton = 149,
    FrameTop = 150,
    FrameTopRight = 151,
    FrameRight = 152,
    FrameBottomRight = 153,
    FrameTopLeft = 154,
    FrameLeft = 155,
    FrameBottomLeft = 156,
    FrameBottom = 157,
    WebMinimiseButton = 158,
    WebCloseButton = 159,
    WebMaximiseButton = 160,
    LoginCloseButton = 172,
    MiniRestoreButton = 175,
    MiniCloseButton = 176,
    MiniMapButton = 178,
    MiniShipmentButton = 179,
    MiniCompanyBackground = 181,
    MiniBackground = 182,
    MiniVehicleButton = 183,
    MiniSiteButton = 184,
    MiniSmsButton = 185,
};

enum IconId : int {
    AppIcon = 171,
    TrayIcon = 173,
};

} // namespace res

#pragma once

// Numeric ids of the skin bitmaps and icons; the files in this folder are named after them, and the
// program loads them compiled in (":/skin/<id>.bmp", ":/skin/<id>.png").
namespace res {

enum BitmapId : int
{
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
    FactoryCloseButton = 147,
    FactoryTitle = 148,
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

enum IconId : int
{
    AppIcon = 171,
    TrayIcon = 173,
};

// Control ids of the templates and menu commands; a button's click and a menu choice reach the window
// as the same command.
enum CommandId : int
{
    IDC_WEATHER = 1000,
    IDC_CLOSE = 1003,
    IDC_MAP = 1004,
    IDC_OFFICE = 1005,
    IDC_SITE = 1006,
    IDC_VEHICLE = 1007,
    IDC_SHIPMENT = 1008,
    IDC_SMS = 1009,
    IDC_ID_EDIT = 1012,
    IDC_PW_EDIT = 1013,
    IDC_SAVE_ID = 1014,
    IDC_SAVE_PW = 1015,
    ID_MANAGEMENT = 32775,
    ID_AUTOLOGIN = 32776,
    ID_ALWAYSTOP = 32777,
    ID_SHOW = 32780,
    ID_EXIT = 32781,
    ID_RESET = 32784,
    ID_MILEAGE = 32786,
};

enum TemplateId : int
{
    IDD_MAIN = 102,
    IDD_WEATHER = 103,
    IDD_FACTORY = 104,
    IDD_LOGIN = 105,
    IDD_WEB = 106,
    IDD_MINIBAR = 174,
};

} // namespace res

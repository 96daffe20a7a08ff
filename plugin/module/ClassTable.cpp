// The module's classes, in the order registration walks them (unregistration
// walks them backwards): 0 streaming configuration page, 1 interface handler,
// 2 video proc amp page, 3 camera control page.
#include "BaseClasses.h"
#include "ZKVCameraControlPage.h"
#include "ZKVInterface.h"
#include "ZKVInterfaceHandler.h"
#include "ZKVPluginClasses.h"
#include "ZKVStreamingConfigPage.h"
#include "ZKVVideoProcAmpPage.h"

CFactoryTemplate g_Templates[] = {
    {L"ZKV Streaming Config", &CLSID_ZKVStreamingConfigPage, CZKVStreamingConfigPage::CreateInstance, NULL},
    {L"ZKV KSProxy Extension Sample Interface Handler", &CLSID_ZKVInterfaceHandler,
     CZKVInterface::CreateInstance, NULL},
    {L"ZKV Video Proc Amp", &CLSID_ZKVVideoProcAmpPage, CZKVVideoProcAmpPage::CreateInstance, NULL},
    {L"ZKV Camera Control", &CLSID_ZKVCameraControlPage, CZKVCameraControlPage::CreateInstance, NULL},
};

int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

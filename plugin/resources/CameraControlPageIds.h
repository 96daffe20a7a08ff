// Resource ids of the camera control page (dialog 102).
#pragma once

#define IDS_CAMERA_CONTROL_TITLE 6
#define IDD_CAMERA_CONTROL 102

// Trigger group.
#define IDC_TRIGGER_GROUP 300
#define IDC_TRIGGER_ONOFF 301
#define IDC_TRIGGER_MODE 302
#define IDC_TRIGGER_POLARITY 303
#define IDC_TRIGGER_SOURCE 304
#define IDC_TRIGGER_PARAMETER 305
#define IDC_TRIGGER_PARAMETER_SET 306
#define IDC_SOFTWARE_TRIGGER 307
#define IDC_ONE_SHOT 308
#define IDC_MULTI_SHOT 309
#define IDC_MULTI_SHOT_COUNT 310

// One-push group: a button and a status text per feature, in table order.
#define IDC_ONE_PUSH_GROUP 320
#define IDC_ONE_PUSH_BUTTON_FIRST 321  // 321..329
#define IDC_ONE_PUSH_STATUS_FIRST 331  // 331..339

// Memory channel group.
#define IDC_CHANNEL_GROUP 350
#define IDC_CURRENT_CHANNEL 351
#define IDC_CHANNEL 352
#define IDC_SAVE_CHANNEL 353
#define IDC_LOAD_CHANNEL 354
#define IDC_FACTORY_SETTINGS 355

// Statistics group.
#define IDC_STATISTICS_GROUP 370
#define IDC_FRAMES_CAPTURED 371
#define IDC_FRAMES_DROPPED 372
#define IDC_FRAME_RATE 373

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

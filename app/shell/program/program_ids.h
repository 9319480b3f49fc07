/* Resource and string ids of the application object. Plain #defines: read
   by the compiler and by windres. */
#ifndef TESSALINE_PROGRAM_IDS_H
#define TESSALINE_PROGRAM_IDS_H

#define IDI_MAINFRAME 128
#define IDS_SPLASH_TITLE 131
#define IDS_OLE_INIT_FAILED 132

/* Registry names of the settings store and of other programs' values */
#define IDS_REG_COMPANY 1024
#define IDS_REG_APPLICATION 1025
#define IDS_REG_VERSION 1026
#define IDS_OTHER_KEY_1 1029
#define IDS_OTHER_VALUE_1 1030
#define IDS_OTHER_KEY_2 1031
#define IDS_OTHER_VALUE_2 1032

/* Camera module */
#define IDS_KAVO_FOLDER 4096
#define IDS_KAVO_LOAD_FAILED 4097
#define IDS_KAVO_INIT_FAILED 4098
#define IDS_KAVO_NO_MEMORY 4099
#define IDS_KAVO_MODULE_FILE 4101

/* Imaging engine */
#define IDS_ENGINE_TEMP_FOLDER 6145
#define IDS_ENGINE_PROFILES 6146
#define IDS_LCH_PROFILE 6148
#define IDS_PROFILE_UNREADABLE 6160
#define IDS_PROFILE_VERSION 6161
#define IDS_PROFILE_UNUSABLE 6162
#define IDS_PROFILE_NOT_ICC 16436
#define IDS_PROFILE_NOT_CMYK 16437
#define IDS_PROFILE_NOT_MONITOR 16438
#define IDS_PROFILE_FOLDER 16439

#define IDS_NOT_A_CAMERA_FILE 16399
#define IDS_LOADING_IMAGE 10016
#define IDS_SAVING_IMAGE 10018
#define IDS_PROCESSING_IMAGE 10024

/* Byte-size words: long forms 16512-16516, short forms 16517-16521 */
#define IDS_BYTES_LONG 16512
#define IDS_BYTES_SHORT 16517

/* Camera errors (16544 comes with the frame's strings) */
#define IDS_CAMERA_ERROR 16545
#define IDS_CAMERA_CARD 16548
#define IDS_CAMERA_BATTERY 16552
#define IDS_SHOT_APERTURE 9347
#define IDS_SHOT_SPEEDLIGHT 9348
#define IDS_SHOT_CARD_FULL 9349
#define IDS_SHOT_FAILED 9352
#define IDS_SHOT_BATTERY 9354
#define IDS_SHOT_BULB 9355
#define IDS_SHOT_FOCUS 9356
#define IDS_SHOT_BUSY 9357
#define IDS_SHOT_BUFFER_FULL 16555

/* The Preferences dialog at one of its pages (32930, at its default page,
   is the frame's ID_FILE_PREFERENCES) */
#define ID_PREFERENCES_PAGE_FIRST 32931
#define ID_PREFERENCES_PAGE_LAST 32936

#endif

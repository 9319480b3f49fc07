/* Resource and string ids of the About box and splash screen. Plain
   #defines: read by the compiler and by windres. */
#ifndef TESSALINE_ABOUT_IDS_H
#define TESSALINE_ABOUT_IDS_H

#define IDD_ABOUT 100
#define IDB_ABOUT_PICTURE 282
#define IDC_ABOUT_PICTURE 1000

#define IDS_ABOUT_VERSION 10050
#define IDS_ABOUT_MODULE_VERSION 10051
#define IDS_ABOUT_IMAGING_VERSION 10052
#define IDS_ABOUT_APPLICATION_VERSION 10053
#define IDS_ABOUT_FILTERS_VERSION 10056

#endif

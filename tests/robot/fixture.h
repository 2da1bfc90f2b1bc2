// Control identifiers of the fixture dialog, shared by its template and its code.
#pragma once
#define FIXTURE_DLG 100
#define IDC_NAME 201
#define IDC_KEEP 202
#define IDC_KIND 203
#define IDC_ROWS 204
#define IDC_EVENT 205
#define IDC_PICKS 206
#define IDC_PLACE 207

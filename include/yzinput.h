/* The order-entry module's exports. A host loads libyzinput.so with dlopen and calls these
 * on its user-interface thread, in this order:
 *   1. YzinputInitVariant (again whenever the patient, the admission or the user changes);
 *   2. one window export;
 *   3. while an embedded entry window is open, btnNew / btnSave / btnDel / btnCancel for the
 *      host's tool bar buttons and btnClose when the host wants to close it.
 * Texts passed in are NUL-terminated GBK texts owned by the caller; the module copies what it
 * keeps. Texts handed back are owned by the module and stay valid while it is loaded.
 * Boolean results are one byte, 1 = true. No export lets an error escape: a failure ends the
 * export early and is shown in the module's error box. */
#ifndef YZINPUT_H
#define YZINPUT_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(YZINPUT_BUILD)
#define YZINPUT_API __attribute__((visibility("default")))
#else
#define YZINPUT_API
#endif

/* A window handle of the host or of a module window. */
typedef intptr_t YzWindow;

/* Sets up the session: patient id, admission number (a whole number as text), user code;
 * the fourth argument is accepted and ignored. Returns true when it returns normally. */
YZINPUT_API bool YzinputInitVariant(const char* patient_id, const char* admiss_times, const char* user_code,
                                    int32_t reserved);

/* Creates a window embedded into `parent` and returns its handle; *info receives the
 * module's constant text "返回信息". */
YZINPUT_API YzWindow MaininputCreateForm(YzWindow parent, const char** info);
YZINPUT_API YzWindow GroupinputCreateForm(YzWindow parent, const char** info);
YZINPUT_API YzWindow ConfigEditCreateForm(YzWindow parent, const char** info);

/* Shows a window modally and returns true after it has closed; *info as above. */
YZINPUT_API bool MaininputOpenWindow(const char** info);
YZINPUT_API bool GroupinputOpenWindow(const char** info);
YZINPUT_API bool ConfigEditOpenWindow(const char** info);

/* The host's tool bar commands for the current entry window; each returns true. */
YZINPUT_API bool btnNew(void);
YZINPUT_API bool btnSave(void);
YZINPUT_API bool btnDel(void);
YZINPUT_API bool btnCancel(void);
/* Asks the entry window to close: "0" when it closed, "1" when the user kept it open. */
YZINPUT_API const char* btnClose(void);

#ifdef __cplusplus
}
#endif

#endif /* YZINPUT_H */

/* Automation interface of the order-entry module: lets a host program (yzhost, an
 * acceptance script, a training run) work the module's windows by component name, read
 * what a person would see, answer message boxes and modal dialogs, move the clock and read
 * the record of every application-server call. It sits beside the twelve exports of
 * yzinput.h and changes none of them.
 *
 * Texts in and out are UTF-8 (this is a tooling interface, not the host edge). Texts handed
 * back are owned by the module and stay valid until the next call of this interface.
 * Functions returning int answer 0 on success and -1 on failure; yzauto_last_error() then
 * says what went wrong in one line (a missing window or control names it). Nothing throws.
 *
 * Windows are named by their component name ("frmConfigEdit", "frmMainInput"); the name ""
 * means the window that has the focus: the innermost open modal window, else the window
 * created last. Controls, menu items and datasets are named by component name; a dataset
 * of a data module owned by the window is named "module.dataset" ("dmYzInput.cdsActOrder").
 */
#ifndef YZAUTO_H
#define YZAUTO_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(YZINPUT_BUILD)
#define YZAUTO_API __attribute__((visibility("default")))
#else
#define YZAUTO_API
#endif

YZAUTO_API const char* yzauto_last_error(void);

/* --- set-up ---------------------------------------------------------------------------- */
/* Replaces the clock by a manual one set to "yyyy-mm-dd hh:nn:ss" (it then moves only with
 * yzauto_advance). */
YZAUTO_API int yzauto_set_time(const char* datetime);
/* Moves the manual clock on and fires the timers that fall due, in order. */
YZAUTO_API int yzauto_advance(int milliseconds);
/* Runs pending posted work (what the window system would do between events). */
YZAUTO_API int yzauto_process_messages(void);
/* Runs SQL on the reference database of the embedded servers (fixture rows, checks). The
 * answer of a query: one line per row, columns separated by '|', null as "null". */
YZAUTO_API const char* yzauto_sql(const char* statement);
/* Creates a host window handle for the embedding exports. */
YZAUTO_API intptr_t yzauto_host_window(void);
/* Opens one of the module's demo windows, which show a control on its own: "lookup" (the
 * drop-down lookup edit on a small order record set, window frmLookupDemo). */
YZAUTO_API int yzauto_open_demo(const char* name);

/* --- input, as a person gives it --------------------------------------------------------- */
YZAUTO_API int yzauto_focus(const char* window, const char* control);
/* Replaces a control's text as if typed over (fires the change event). */
YZAUTO_API int yzauto_set_text(const char* window, const char* control, const char* text);
/* Focuses the control and types each character (key down, key press, key up). */
YZAUTO_API int yzauto_type(const char* window, const char* control, const char* characters);
/* Presses a key on the control (or the focused control when control is ""): "Enter", "Esc",
 * "Tab", "Up", "Down", "Left", "Right", "Home", "End", "PageUp", "PageDown", "F1".."F12",
 * "Delete", "Backspace", "Space", "A".."Z", "0".."9", with modifiers "Alt+", "Ctrl+", "Shift+". */
YZAUTO_API int yzauto_key(const char* window, const char* control, const char* key);
YZAUTO_API int yzauto_click(const char* window, const char* control);
YZAUTO_API int yzauto_dblclick(const char* window, const char* control);
/* Clicks a menu item by component name or by caption path ("打印|长期医嘱单"). */
YZAUTO_API int yzauto_menu(const char* window, const char* item);
/* Grid work: moves a data grid to a row (1-based) and column (0-based) as a cell click. */
YZAUTO_API int yzauto_grid_cell(const char* window, const char* grid, int row, int column);

/* --- reading what is shown ---------------------------------------------------------------- */
/* A property of a window (control "") or control, by name, as text. NULL on failure. */
YZAUTO_API const char* yzauto_get(const char* window, const char* control, const char* property);
YZAUTO_API int yzauto_set(const char* window, const char* control, const char* property, const char* value);
/* A field of a dataset's current row, as text (null reads as ""); NULL on failure. */
YZAUTO_API const char* yzauto_field(const char* window, const char* dataset, const char* field);
/* Moves a dataset's cursor to a row (1-based). */
YZAUTO_API int yzauto_dataset_row(const char* window, const char* dataset, int row);
/* The open windows, one "name<TAB>class<TAB>caption" a line. */
YZAUTO_API const char* yzauto_windows(void);
/* A window's component tree with its properties, or a dataset's rows (what is "window" or
 * "window.dataset"), as "text" or "json". NULL on failure. */
YZAUTO_API const char* yzauto_dump(const char* what, const char* format);

/* --- message boxes ------------------------------------------------------------------------ */
/* Queues the answer for the next box: 1 OK, 2 Cancel, 6 Yes, 7 No. A box that opens with no
 * queued answer is recorded as unexpected (yzauto_box shows it) and ends the action that
 * showed it, with the module's error box naming it. */
YZAUTO_API int yzauto_queue_answer(int answer);
YZAUTO_API int yzauto_box_count(void);
/* Box i (0-based) as "caption<TAB>text<TAB>icon<TAB>buttons<TAB>answer<TAB>expected|unexpected". */
YZAUTO_API const char* yzauto_box(int index);
YZAUTO_API int yzauto_clear_boxes(void);

/* --- modal windows ------------------------------------------------------------------------ */
/* Called when a window is shown modally, with the window's name; it works the window through
 * this interface and must close it (yzauto_close). Return 0. With no handler installed, a
 * modal window fails loudly naming itself. */
typedef int (*yzauto_modal_handler)(const char* window, void* context);
YZAUTO_API int yzauto_on_modal(yzauto_modal_handler handler, void* context);
/* Closes a window with a modal result (1 OK, 2 Cancel, 6 Yes, 7 No; 0 a plain close). */
YZAUTO_API int yzauto_close(const char* window, int modal_result);

/* --- application-server calls --------------------------------------------------------------- */
YZAUTO_API int yzauto_call_count(void);
/* Call i (0-based) as "server<TAB>kind<TAB>name<TAB>params<TAB>command text<TAB>answer",
 * kind being open, apply, execute, params or method. */
YZAUTO_API const char* yzauto_call(int index);
YZAUTO_API int yzauto_clear_calls(void);
/* Makes every later call whose provider or method is `name` fail with `text`; text NULL or
 * "" removes the fault. */
YZAUTO_API int yzauto_fail_call(const char* name, const char* text);

/* --- module state ------------------------------------------------------------------------- */
/* A session context field or setting by its key name ("user_name", "OWE_LIMIT"). */
YZAUTO_API const char* yzauto_session(const char* key);

#ifdef __cplusplus
}
#endif

#endif /* YZAUTO_H */

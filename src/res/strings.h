#pragma once
// Kolvaro's German string table: every user-visible text by its identifier.
// Commands keep their status-bar prompt and tooltip ("prompt\ntooltip")
// under their command identifier (res/commands.h).

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kolvaro {

// Every string identifier once, as X(name, value). The enum and the list of
// all identifiers are both generated from it, so the table's completeness
// check in strings.cpp cannot miss an identifier.
#define KOLVARO_STRING_IDS(X)                                                                  \
  X(IDS_DOC_TEMPLATE, 128)              /* document template, seven fields */                 \
  X(IDS_CHOOSE_FOLDER, 130)             /* "Verzeichnis auswählen" */                         \
  X(IDS_TRANSACTION_FILTER, 132)        /* filter of the transaction-file open dialog */      \
  X(IDS_PERSON_IMPORT_FILTER, 133)      /* filter of the person-import open dialog */         \
  X(IDS_ALL_THEMES, 1000)               /* "<Alle>", theme list */                            \
  X(IDS_ALL_PERSONS, 1001)              /* "<Alle>", person list */                           \
  X(IDS_SORT_KEYS, 1002)                /* sort list entries, each ended by '\n' */           \
  X(IDS_NO_THEME, 1003)                 /* "<kein Thema>" */                                  \
  X(IDS_NO_PERSON, 1004)                /* "<ohne Person>" */                                 \
  X(IDS_LOCK_INFO_DIALOG, 1024)         /* question before locking the album-info dialog */  \
  X(IDS_CONFIRMATION, 1025)             /* "Bestätigung" */                                   \
  X(IDS_ONE_PICTURE_FOUND, 1026)        /* "1 Bild gefunden" */                               \
  X(IDS_NO_PICTURES_FOUND, 1027)        /* "Keine Bilder gefunden" */                         \
  X(IDS_PICTURES_FOUND, 1028)           /* %1!i! = count */                                   \
  X(IDS_DELETE_THEME, 1029)             /* one theme; the names follow */                     \
  X(IDS_DELETE_THEMES, 1030)            /* several themes; the names follow */                \
  X(IDS_DELETE_THEME_CAPTION, 1031)     /* "Thema löschen" */                                 \
  X(IDS_REMOVE_PERSONS, 1032)           /* %1!s! = names, each ended by '\n' */               \
  X(IDS_REMOVE_PERSON_CAPTION, 1033)    /* "Person löschen" */                                \
  X(IDS_PERSON_ALREADY_MARKED, 1036)    /* follows the person's name */                       \
  X(IDS_DUPLICATE_CAPTION, 1037)        /* "Doppelter Eintrag" */                             \
  X(IDS_NEW_PERSON_CAPTION, 1038)       /* "Neue Person" */                                   \
  X(IDS_NEW_PERSON_PROMPT, 1039)        /* "Name eingeben:" */                                \
  X(IDS_UNREGISTER_FILETYPE_MENU, 1040) /* menu text while registered */                      \
  X(IDS_REGISTER_FILETYPE_MENU, 1041)   /* menu text while not registered */                  \
  X(IDS_REGISTER_QUESTION, 1042)        /* question before registering */                     \
  X(IDS_QUESTION_CAPTION, 1043)         /* "Frage" */                                         \
  X(IDS_UNREGISTER_QUESTION, 1044)      /* question before removing */                        \
  X(IDS_MANAGE_THEMES_CAPTION, 1045)    /* "Themen verwalten" */                              \
  X(IDS_MANAGE_THEMES_LABEL, 1046)      /* "vorhandene Themen" */                             \
  X(IDS_MANAGE_PERSONS_CAPTION, 1047)   /* "Personen verwalten" */                            \
  X(IDS_MANAGE_PERSONS_LABEL, 1048)     /* "angelegte Personen" */                            \
  X(IDS_FILE_ALREADY_IN_ALBUM, 1049)    /* %1!s! = stored path */                             \
  X(IDS_FILES_ADDED, 1050)              /* %1!li! = count */                                  \
  X(IDS_COLLABORATION_MENU, 1051)       /* "&Zusammenarbeit" */                               \
  X(IDS_TRANSACTION_DAMAGED, 1052)      /* nothing applied */                                 \
  X(IDS_TRANSACTION_DISCARD, 1053)      /* applied records must be discarded */               \
  X(IDS_CHOOSE_TARGET_FOLDER, 1054)     /* "Bitte Zielverzeichnis auswählen" */               \
  X(IDS_FILE_NOT_ACCESSIBLE, 1055)      /* %1!s! = path */                                    \
  X(IDS_NEW_THEME_PROMPT, 1056)         /* "Thema eingeben:" */                               \
  X(IDS_NEW_THEME_CAPTION, 1057)        /* "Neues Thema" */                                   \
  X(IDS_DELETE_ENTRIES, 1058)           /* %1!s! = names, each ended by '\n' */               \
  X(IDS_SAFETY_QUERY, 1059)             /* "Sicherheitsabfrage" */                            \
  X(IDS_RENAME_THEME_PROMPT, 1060)      /* "Thema umbenennen:" */                             \
  X(IDS_RENAME_THEME_CAPTION, 1061)     /* "Thema umbenennen" */                              \
  X(IDS_RENAME_PERSON_PROMPT, 1062)     /* "Namen ändern:" */                                 \
  X(IDS_RENAME_PERSON_CAPTION, 1063)    /* "Namen ändern" */                                  \
  X(IDS_NO_PICTURE_SELECTED, 1064)      /* the picture control without a picture */          \
  X(IDS_PAGE_SETUP_NEEDS_PICTURE, 1065) /* page setup without a shown picture */              \
  X(IDS_LAYOUT_PRESETS, 1066)           /* page-layout presets, each ended by '\n' */         \
  X(IDS_PICTURE_FILE_MISSING, 1067)     /* picture control: %1!s! = path not found */         \
  X(IDS_PICTURE_FILE_UNREADABLE, 1068)  /* picture control: %1!s! = path, no picture */        \
  X(IDS_STATUS_PICTURES_ADDED, 1069)    /* status bar: %1!i! = count added */                  \
  X(IDS_STATUS_CHANGES_APPLIED, 1070)   /* status bar: %1!li! = records replayed */           \
  X(IDS_CAUSE_NOT_FOUND, 2000)          /* causes of a failed file operation (FileFailure) */ \
  X(IDS_CAUSE_ACCESS_DENIED, 2001)                                                             \
  X(IDS_CAUSE_DISK_FULL, 2002)                                                                 \
  X(IDS_CAUSE_QUOTA_EXHAUSTED, 2003)                                                           \
  X(IDS_CAUSE_READ_ONLY, 2004)                                                                 \
  X(IDS_CAUSE_TOO_LARGE, 2005)                                                                 \
  X(IDS_CAUSE_NAME_TOO_LONG, 2006)                                                             \
  X(IDS_CAUSE_NOT_A_FOLDER, 2007)                                                              \
  X(IDS_CAUSE_IS_A_FOLDER, 2008)                                                               \
  X(IDS_CAUSE_NOT_REGULAR, 2009)                                                               \
  X(IDS_CAUSE_IO_ERROR, 2010)                                                                  \
  X(IDS_CAUSE_BUSY, 2011)                                                                      \
  X(IDS_CAUSE_TOO_MANY_OPEN, 2012)                                                             \
  X(IDS_LOG_WRITE_FAILED, 2020)         /* %1 = transaction file, %2 = cause */               \
  X(IDS_LOG_DISK_FULL, 2021)            /* short causes of that message */                    \
  X(IDS_LOG_ACCESS_DENIED, 2022)                                                               \
  X(IDS_LOG_FOLDER_NOT_FOUND, 2023)                                                            \
  X(IDS_LOG_WRITE_ERROR, 2024)          /* %1!i! = errno */                                   \
  X(IDS_NOT_A_REGULAR_FILE, 2030)       /* %1 = path */                                       \
  X(IDS_REMOVED_NOT_TRASHED, 2031)      /* %1 = picture file, %2 = why */                     \
  X(IDS_REFUSE_NOT_HERE, 2032)          /* why a picture file is left alone */                \
  X(IDS_REFUSE_FOLDER, 2033)                                                                   \
  X(IDS_REFUSE_SYMLINK, 2034)                                                                  \
  X(IDS_REFUSE_SPECIAL, 2035)                                                                  \
  X(IDS_REFUSE_UNKNOWN, 2036)                                                                  \
  X(IDS_STORED_NAME_REFUSED, 2037)      /* %1 = file, %2 = why (one of the next three) */     \
  X(IDS_NAME_NOT_UTF8, 2038)                                                                   \
  X(IDS_NAME_BACKSLASH, 2039)                                                                  \
  X(IDS_NAME_DRIVE_FORM, 2040)                                                                 \
  X(IDS_UNTITLED, 2041)                 /* title of an album never saved */                   \
  X(IDS_FILE_DESCRIBED, 2050)           /* copy and move: %1 = size, %2 = date changed */     \
  X(IDS_TARGET_FOLDER_NOT_FOUND, 2051)                                                         \
  X(IDS_TARGET_NOT_A_FOLDER, 2052)                                                             \
  X(IDS_TRANSFER_PROGRESS, 2053)        /* %1 = file name, %2 = target folder */              \
  X(IDS_SOURCE_NOT_A_FILE, 2054)                                                               \
  X(IDS_SAME_FILE, 2055)                                                                       \
  X(IDS_FOLDER_OF_THAT_NAME, 2056)                                                             \
  X(IDS_MOVED_COPY_KEPT, 2057)          /* %1 = file, %2 = folder, %3 = cause */              \
  X(IDS_REPLACE_FILE, 2058)             /* %1 = folder, %2 = name, %3 old, %4 new (described) */ \
  X(IDS_MOVE_FAILED, 2059)              /* %1 = file, %2 = folder, %3 = cause */              \
  X(IDS_COPY_FAILED, 2060)              /* %1 = file, %2 = folder, %3 = cause */              \
  X(IDS_TRASH_REFUSED, 2061)            /* %1 = file, %2 = why */                             \
  X(IDS_TRASH_FILE_MISSING, 2062)                                                              \
  X(IDS_TRASH_FAILED, 2063)             /* %1 = file */                                       \
  X(IDS_ALBUM_BUSY, 2070)               /* saving: %1 = album, locked by another program */   \
  X(IDS_ALBUM_CHANGED_ON_DISK, 2071)    /* saving: %1 = album; yes/no/cancel */               \
  X(IDS_SAVE_AS_TITLE, 2072)            /* "Speichern unter" */                               \
  X(IDS_OPEN_RECENT_PROMPT, 2073)       /* status tip of the recent-file entries */           \
  X(IDS_TRANSACTION_NOT_REGULAR, 2080)  /* %1 = transaction file; nothing applied */          \
  X(IDS_NOT_A_FOLDER, 2081)             /* %1 = path */                                       \
  X(IDS_UNKNOWN_OPTION, 2082)           /* kolvaro's command line: %1 = the option */         \
  X(IDS_ONE_ALBUM_ONLY, 2083)           /* kolvaro's command line: %1 = the second album */   \
  X(IDS_USAGE, 2084)                    /* kolvaro --help */                                  \
  X(IDS_OPEN_TITLE, 2085)               /* open-file dialog without a title of its own */     \
  X(IDS_CLI_CANNOT_TRASH, 2090)         /* kolvaro-cli's trash: %1 = file; ": " and why follow */ \
  X(IDS_CLI_NO_HOME, 2091)                                                                     \
  X(IDS_CLI_TRASH_NOT_CREATED, 2092)    /* %1 = trash folder */                               \
  X(IDS_CLI_OTHER_FILE_SYSTEM, 2093)                                                           \
  X(IDS_CLI_CANNOT_WRITE, 2094)         /* %1 = info file */                                  \
  X(IDS_CLI_NO_FREE_NAME, 2095)                                                                \
  X(IDS_CLI_CANNOT_OPEN, 2096)          /* %1 = file */                                       \
  X(IDS_TOOLBAR_TITLE, 2100)            /* the main frame's toolbar */                        \
  X(IDS_WINDOW_TITLE, 2101)             /* the main window's title after the album's */       \
  X(IDS_NEW_ALBUM_NAME, 2102)           /* title of a new album */                            \
  X(IDS_ALBUM_FILTER, 2103)             /* filter of the album open and save dialogs */       \
  X(IDS_SELECT_THEME_LABEL, 2104)       /* the selection bar's labels and button */           \
  X(IDS_SELECT_PERSON_LABEL, 2105)                                                             \
  X(IDS_SELECT_SORT_LABEL, 2106)                                                               \
  X(IDS_SELECT_GO, 2107)                /* "Los!" */                                          \
  X(IDS_MAIN_WINDOW_SHOWN, 2108)        /* start-up timing: %1 = title, %2!lld! = ms */       \
  X(IDS_PROGRAM_MESSAGE, 2109)          /* kolvaro's lines on stderr: %1 = message */         \
  X(IDS_CHOOSE_PICTURE_FOLDER, 2110)    /* folder chooser of "add folder" */                  \
  X(IDS_CLI_WRONG_USAGE, 2200)          /* kolvaro-cli: %1 = the command's usage line */      \
  X(IDS_CLI_GENERAL_USAGE, 2201)        /* %1 = the problem */                                \
  X(IDS_CLI_NO_COMMAND, 2202)                                                                  \
  X(IDS_CLI_UNKNOWN_COMMAND, 2203)      /* %1 = the command */                                \
  X(IDS_CLI_UNKNOWN_OPTION, 2204)       /* %1 = the option */                                 \
  X(IDS_CLI_VERSION_NO_ARGUMENTS, 2205)                                                        \
  X(IDS_CLI_HELP_HEAD, 2206)            /* --help: before the commands */                     \
  X(IDS_CLI_HELP_TAIL, 2207)            /* --help: after the commands */                      \
  X(IDS_CLI_COMMAND_HELP, 2208)         /* BEFEHL --help: %1 = usage, %2 = summary */         \
  X(IDS_CLI_OUT_OF_MEMORY, 2209)                                                               \
  X(IDS_CLI_INTERNAL_ERROR, 2210)       /* %1 = what went wrong */                            \
  X(IDS_CLI_OUTPUT_FAILED, 2211)                                                               \
  X(IDS_CLI_NEW_FAILED, 2212)                                                                  \
  X(IDS_CLI_ALBUM_LOCKED, 2213)         /* %1 = album, another command holds it */            \
  X(IDS_CLI_NO_SAVE_NAME, 2214)                                                                \
  X(IDS_CLI_ALREADY_EXISTS, 2215)       /* %1 = path */                                       \
  X(IDS_CLI_OUTPUT_NOT_WRITTEN, 2216)                                                          \
  X(IDS_CLI_LOG_NOT_CREATED, 2217)      /* %1 = folder */                                     \
  X(IDS_CLI_LOG_INCOMPLETE, 2218)       /* %1 = transaction file, %2 = system's cause */      \
  X(IDS_CLI_NO_SUCH_PICTURE, 2220)      /* %1 = number */                                     \
  X(IDS_CLI_NO_SUCH_PERSON, 2221)       /* %1 = number */                                     \
  X(IDS_CLI_NO_SUCH_THEME, 2222)        /* %1 = number */                                     \
  X(IDS_CLI_BAD_DATE, 2223)             /* %1 = the text given */                             \
  X(IDS_CLI_NOT_IN_THEME, 2224)         /* %1 = picture, %2 = theme */                        \
  X(IDS_CLI_BAD_RECTANGLE, 2225)                                                               \
  X(IDS_CLI_NOT_MARKED, 2226)           /* %1 = person, %2 = picture */                       \
  X(IDS_CLI_NO_EXIF_TAG, 2227)          /* %1 = file, %2 = tag */                             \
  X(IDS_CLI_CHANGES_APPLIED, 2229)      /* %1 = count */                                      \
  X(IDS_CLI_APPLIED_KEPT, 2230)         /* %1 = count */                                      \
  X(IDS_CLI_ALBUM_NOT_SAVED, 2231)                                                             \
  X(IDS_CLI_PICTURE_MISSING, 2240)      /* check: %1 = number, %2 = path */                   \
  X(IDS_CLI_NO_FILE_NAME, 2241)                                                                \
  X(IDS_CLI_STORED_AS, 2242)            /* %1 = stored name */                                \
  X(IDS_CLI_NO_PICTURES, 2243)                                                                 \
  X(IDS_CLI_ONE_FILE_FOUND, 2244)                                                              \
  X(IDS_CLI_ALL_FILES_FOUND, 2245)      /* %1 = count */                                      \
  X(IDS_CLI_ONE_FILE_MISSING, 2246)     /* %1 = missing, %2 = count */                        \
  X(IDS_CLI_FILES_MISSING, 2247)        /* %1 = missing, %2 = count */                        \
  X(IDS_CLI_INFO_ALBUM, 2250)           /* info: the labels */                                \
  X(IDS_CLI_INFO_VERSION, 2251)                                                                \
  X(IDS_CLI_INFO_PICTURES, 2252)                                                               \
  X(IDS_CLI_INFO_PERSONS_ON_PICTURES, 2253)                                                    \
  X(IDS_CLI_INFO_PERSONS, 2254)                                                                \
  X(IDS_CLI_INFO_THEMES_OF_PICTURES, 2255)                                                     \
  X(IDS_CLI_INFO_THEMES, 2256)                                                                 \
  X(IDS_CLI_INFO_STORAGE_MODE, 2257)                                                           \
  X(IDS_CLI_INFO_STORAGE_FOLDER, 2258)                                                         \
  X(IDS_CLI_INFO_BASE_FOLDER, 2259)                                                            \
  X(IDS_CLI_INFO_DESCRIPTION, 2260)                                                            \
  X(IDS_CLI_INFO_UPDATE_URL, 2261)                                                             \
  X(IDS_CLI_INFO_DIALOG, 2262)                                                                 \
  X(IDS_CLI_INFO_MODE_PICTURE_FOLDER, 2263) /* info: the values */                            \
  X(IDS_CLI_INFO_MODE_FOLDER, 2264)                                                            \
  X(IDS_CLI_INFO_MODE_UNKNOWN, 2265)    /* %1 = the mode */                                   \
  X(IDS_CLI_INFO_NO_STORAGE_FOLDER, 2266)                                                      \
  X(IDS_CLI_INFO_NO_BASE_FOLDER, 2267)                                                         \
  X(IDS_CLI_INFO_EMPTY, 2268)                                                                  \
  X(IDS_CLI_INFO_DIALOG_ENABLED, 2269)                                                         \
  X(IDS_CLI_INFO_DIALOG_LOCKED, 2270)                                                          \
  X(IDS_CLI_USAGE_ADD, 2300)            /* each command: usage line, then --help summary */   \
  X(IDS_CLI_ABOUT_ADD, 2301)                                                                   \
  X(IDS_CLI_USAGE_ADD_FOLDER, 2302)                                                            \
  X(IDS_CLI_ABOUT_ADD_FOLDER, 2303)                                                            \
  X(IDS_CLI_USAGE_CHECK, 2304)                                                                 \
  X(IDS_CLI_ABOUT_CHECK, 2305)                                                                 \
  X(IDS_CLI_USAGE_DATE, 2306)                                                                  \
  X(IDS_CLI_ABOUT_DATE, 2307)                                                                  \
  X(IDS_CLI_USAGE_DELETE, 2308)                                                                \
  X(IDS_CLI_ABOUT_DELETE, 2309)                                                                \
  X(IDS_CLI_USAGE_DUMP, 2310)                                                                  \
  X(IDS_CLI_ABOUT_DUMP, 2311)                                                                  \
  X(IDS_CLI_USAGE_EXIF, 2312)                                                                  \
  X(IDS_CLI_ABOUT_EXIF, 2313)                                                                  \
  X(IDS_CLI_USAGE_IMPORT_PERSONS, 2314)                                                        \
  X(IDS_CLI_ABOUT_IMPORT_PERSONS, 2315)                                                        \
  X(IDS_CLI_USAGE_INFO, 2316)                                                                  \
  X(IDS_CLI_ABOUT_INFO, 2317)                                                                  \
  X(IDS_CLI_USAGE_MARK, 2318)                                                                  \
  X(IDS_CLI_ABOUT_MARK, 2319)                                                                  \
  X(IDS_CLI_USAGE_NEW, 2320)                                                                   \
  X(IDS_CLI_ABOUT_NEW, 2321)                                                                   \
  X(IDS_CLI_USAGE_PERSON, 2322)                                                                \
  X(IDS_CLI_ABOUT_PERSON, 2323)                                                                \
  X(IDS_CLI_USAGE_REPLAY, 2324)                                                                \
  X(IDS_CLI_ABOUT_REPLAY, 2325)                                                                \
  X(IDS_SYNC_FIELD_TITLE, 3600)                                                                \
  X(IDS_SYNC_FIELD_FILENAME, 3601)                                                             \
  X(IDS_SYNC_FIELD_DATE, 3602)                                                                 \
  X(IDS_SYNC_FIELD_SIZE, 3603)                                                                 \
  X(IDS_SYNC_FIELD_NAME, 3604)                                                                 \
  X(IDS_SYNC_FIELD_MARK, 3605)                                                                 \
  X(IDS_SYNC_FIELD_LINK, 3606)                                                                 \
  X(IDS_SYNC_REMOVED, 3607)                                                                    \
  X(IDS_SYNC_ASSIGNED, 3608)                                                                   \
  X(IDS_SYNC_NOT_REGULAR, 3609)                                                                \
  X(IDS_SYNC_TOO_LARGE, 3610)                                                                  \
  X(IDS_SYNC_UNREADABLE, 3611)                                                                 \
  X(IDS_SYNC_SHORTENED, 3612)                                                                  \
  X(IDS_SYNC_DAMAGED, 3613)                                                                    \
  X(IDS_SYNC_STATE_DAMAGED, 3614)                                                              \
  X(IDS_SYNC_STATE_UNREADABLE, 3615)                                                           \
  X(IDS_SYNC_STATE_NOT_WRITTEN, 3616)                                                          \
  X(IDS_SYNC_FOLDER_UNREADABLE, 3617)                                                          \
  X(IDS_SYNC_FILE_LINE, 3618)                                                                  \
  X(IDS_SYNC_FILE_OWN, 3619)                                                                   \
  X(IDS_SYNC_FILE_PROBLEM, 3620)                                                               \
  X(IDS_SYNC_TOTAL, 3621)                                                                      \
  X(IDS_SYNC_ENTITY_PICTURE, 3622)                                                             \
  X(IDS_SYNC_ENTITY_PERSON, 3623)                                                              \
  X(IDS_SYNC_ENTITY_THEME, 3624)                                                               \
  X(IDS_SYNC_ENTITY_MARK, 3625)                                                                \
  X(IDS_SYNC_ENTITY_LINK, 3626)                                                                \
  X(IDS_SYNC_CONFLICT, 3627)                                                                   \
  X(IDS_CLI_USAGE_SYNC, 3628)                                                                  \
  X(IDS_CLI_ABOUT_SYNC, 3629)                                                                  \
  X(IDS_SYNC_ALBUM_CHANGED, 3631)                                                              \
  X(IDS_SYNC_NEWS, 3633)                                                                       \
  X(IDS_SYNC_NEWS_APPLY, 3634)                                                                 \
  X(IDS_SYNC_NEWS_LATER, 3635)                                                                 \
  X(IDS_SYNC_OTHER_PICTURE, 3636)                                                              \
  X(IDS_SYNC_CONFLICTS_TITLE, 3637)                                                            \
  X(IDS_SYNC_CONFLICTS_LABEL, 3638)                                                            \
  X(IDS_SYNC_TAKE, 3639)                                                                       \
  X(IDS_SYNC_TAKEN, 3640)                                                                      \
  X(IDS_PICTURE_FILTER_NAMES, 3700)     /* open dialog: all, one per media family, all files */ \
  X(IDS_SELECT_SEARCH_PLACEHOLDER, 3800)                                                       \
  X(IDS_SELECT_SEARCH_TIP, 3801)                                                               \
  X(IDS_GRID_MARKED, 3802)              /* %1 marked of %2 in the overview */                  \
  X(IDS_CLI_USAGE_SAVE, 2326)                                                                  \
  X(IDS_CLI_ABOUT_SAVE, 2327)                                                                  \
  X(IDS_CLI_USAGE_SELECT, 2328)                                                                \
  X(IDS_CLI_ABOUT_SELECT, 2329)                                                                \
  X(IDS_CLI_USAGE_THEME, 2330)                                                                 \
  X(IDS_CLI_ABOUT_THEME, 2331)                                                                 \
  X(IDS_CLI_USAGE_TITLE, 2332)                                                                 \
  X(IDS_CLI_ABOUT_TITLE, 2333)                                                                 \
  X(IDS_CLI_USAGE_UNMARK, 2334)                                                                \
  X(IDS_CLI_ABOUT_UNMARK, 2335)                                                                \
  X(IDS_SORT_SPECIAL, 2600)             /* sort list: the special selection, after IDS_SORT_KEYS */ \
  X(IDS_PICTURE_WND_TITLE, 2700)        /* picture window: caption, title when nothing to show */ \
  X(IDS_PICTURE_WND_PREV, 2701)         /* picture window: step back */                      \
  X(IDS_PICTURE_WND_NEXT, 2702)         /* picture window: step forward */                   \
  X(IDS_CLI_USAGE_STORAGE, 2850)                                                               \
  X(IDS_CLI_ABOUT_STORAGE, 2851)                                                               \
  X(IDS_CLI_USAGE_RELOCATE, 2900)                                                              \
  X(IDS_CLI_ABOUT_RELOCATE, 2901)                                                              \
  X(IDS_CLI_USAGE_MISSING, 2902)                                                               \
  X(IDS_CLI_ABOUT_MISSING, 2903)                                                               \
  X(IDS_CLI_PATHS_CHANGED, 2904)        /* %1 = count */                                      \
  X(IDS_COPY_SAME_FILE, 2905)           /* %1 = path */                                       \
  X(IDS_COPY_PICTURE_TITLE, 2906)       /* progress title of the picture copy */              \
  X(IDS_CAMERA_TRANSFER_TITLE, 3000)    /* progress title of the camera import */             \
  X(IDS_CAMERA_PROGRESS, 3001)          /* %1/%2 = files done/found, %3/%4 = sizes, %5 = name */ \
  X(IDS_CAMERA_SIZE_BYTES, 3002)        /* %1 = a size under a kilobyte */                    \
  X(IDS_CAMERA_SUMMARY, 3003)           /* %1 added, %2 already in the album, %3 left on the card */ \
  X(IDS_CAMERA_STOPPED, 3004)           /* the import ended before the last file */           \
  X(IDS_CAMERA_REPLACE_KEPT, 3005)      /* %1 = file name: kolvaro-cli replaces nothing */    \
  X(IDS_CLI_USAGE_CAMERA_IMPORT, 3006)                                                         \
  X(IDS_CLI_ABOUT_CAMERA_IMPORT, 3007)                                                         \
  X(IDS_CAMERA_NO_FILES, 3008)          /* %1 = source folder */                              \
  X(IDS_CAMERA_SYNC_FAILED, 3009)       /* %1 = album folder, %2 = cause */                   \
  X(IDS_FILETYPE_APP_NAME, 3050)        /* the album type's desktop entry: name */            \
  X(IDS_FILETYPE_DESCRIPTION, 3051)     /* its comment, the file type's description */         \
  X(IDS_FILETYPE_FAILED, 3052)          /* %1 = the file or folder that could not be written */ \
  X(IDS_LINK_FAILED, 3060)              /* "Unable to open hyperlink:" box, the error text follows */ \
  X(IDS_LINK_ERROR_0, 3061)             /* a link's error texts by the shell's code */        \
  X(IDS_LINK_ERROR_2, 3062)                                                                    \
  X(IDS_LINK_ERROR_3, 3063)                                                                    \
  X(IDS_LINK_ERROR_5, 3064)                                                                    \
  X(IDS_LINK_ERROR_8, 3065)                                                                    \
  X(IDS_LINK_ERROR_11, 3066)                                                                   \
  X(IDS_LINK_ERROR_26, 3067)                                                                   \
  X(IDS_LINK_ERROR_27, 3068)                                                                   \
  X(IDS_LINK_ERROR_28, 3069)                                                                   \
  X(IDS_LINK_ERROR_29, 3070)                                                                   \
  X(IDS_LINK_ERROR_30, 3071)                                                                   \
  X(IDS_LINK_ERROR_31, 3072)                                                                   \
  X(IDS_LINK_ERROR_32, 3073)                                                                   \
  X(IDS_LINK_ERROR_UNKNOWN, 3074)       /* %d = any other code */                             \
  X(IDS_ABOUT_TITLE, 3080)              /* dialog 100 */                                      \
  X(IDS_HELP_TITLE, 3100)               /* the help window's title */                         \
  X(IDS_HELP_CONTENTS, 3101)            /* help window: to the table of contents */           \
  X(IDS_HELP_BACK, 3102)                                                                       \
  X(IDS_HELP_FORWARD, 3103)                                                                    \
  X(IDS_HELP_MISSING, 3104)             /* %1 = the help folder that has no pages */          \
  X(IDS_XMP_FILE_ERROR, 3200)           /* %1 = file, %2 = reason */                          \
  X(IDS_XMP_READ_ONLY, 3201)            /* %1 = sidecar or picture */                         \
  X(IDS_XMP_NOT_READABLE, 3202)         /* %1 = file, %2 = detail or "" */                    \
  X(IDS_XMP_NOT_WRITTEN, 3203)          /* %1 = file */                                       \
  X(IDS_XMP_NO_PICTURE_SIZE, 3204)      /* %1 = picture */                                    \
  X(IDS_XMP_REGION_NOT_FACE, 3205)      /* %1 = file, %2 = region type, %3 = name */          \
  X(IDS_XMP_REGION_NO_NAME, 3206)       /* %1 = file */                                       \
  X(IDS_XMP_REGION_BAD_AREA, 3207)      /* %1 = file, %2 = name */                            \
  X(IDS_XMP_IMPORT_SUMMARY, 3210)       /* %1 pictures, %2 persons, %3/%4 rectangles new/changed, \
                                           %5 themes, %6 theme links, %7 headlines */          \
  X(IDS_XMP_NEW_PERSONS, 3211)          /* %1 = names, comma separated */                     \
  X(IDS_XMP_NOTHING_NEW, 3212)          /* the pictures' XMP holds nothing new */             \
  X(IDS_XMP_EXPORTED, 3213)             /* %1 = pictures written */                           \
  X(IDS_XMP_PROBLEMS, 3214)             /* lines of problems follow */                        \
  X(IDS_XMP_EXPORT_CAPTION, 3215)       /* "XMP exportieren" */                               \
  X(IDS_XMP_IMPORT_CAPTION, 3216)       /* "XMP importieren" */                               \
  X(IDS_XMP_PROGRESS_READ, 3217)        /* progress text while reading */                     \
  X(IDS_XMP_PROGRESS_WRITE, 3218)       /* progress text while writing */                     \
  X(IDS_XMP_EMBED_WARNING, 3219)        /* warning beside the embed choice */                 \
  X(IDS_XMP_SCOPE_SELECTION, 3220)      /* radio: the selection, %1 = count */                \
  X(IDS_XMP_SCOPE_ALBUM, 3221)          /* radio: the whole album, %1 = count */              \
  X(IDS_XMP_SIDECAR_LABEL, 3222)        /* label of the sidecar name choice */                \
  X(IDS_XMP_EMBED_CHOICE, 3223)         /* check box: write into the pictures */              \
  X(IDS_XMP_NO_SIDECAR, 3224)           /* sidecar choice: none */                            \
  X(IDS_XMP_APPLY_QUESTION, 3225)       /* after the summary */                               \
  X(IDS_XMP_CANCELLED, 3226)            /* the job was cancelled */                           \
  X(IDS_XMP_CANCELLED_EXPORT, 3227)     /* the export was cancelled */                        \
  X(IDS_XMP_MORE_PROBLEMS, 3228)        /* %1 = problems not shown */                         \
  X(IDS_XMP_NEW_THEMES, 3229)           /* %1 = names, comma separated */                     \
  X(IDS_XMP_REGION_OUTSIDE, 3230)       /* %1 = file, %2 = name */                            \
  X(IDS_XMP_SIDECAR_SHARED, 3231)       /* %1 = the sidecar several pictures could claim */   \
  X(IDS_XMP_KEYWORDS_NOT_TAKEN, 3232)   /* %1 = file, %2 = keywords, comma separated */       \
  X(IDS_XMP_IMPORT_APPLIED, 3233)       /* as IDS_XMP_IMPORT_SUMMARY, once applied */         \
  X(IDS_CLI_MARK_OUTSIDE, 3234)         /* %1 x %2 = the picture's stored size */             \
  X(IDS_XMP_LIBRARY_FAILURE, 3235)      /* the XMP library failed on a file */                \
  X(IDS_CLI_USAGE_XMP_EXPORT, 3240)                                                            \
  X(IDS_CLI_ABOUT_XMP_EXPORT, 3241)                                                            \
  X(IDS_CLI_USAGE_XMP_IMPORT, 3242)                                                            \
  X(IDS_CLI_ABOUT_XMP_IMPORT, 3243)                                                            \
  X(IDS_CLI_BAD_SIDECAR_FORM, 3244)     /* %1 = the form given */                             \
  X(IDS_CLI_XMP_DRY_RUN, 3245)          /* nothing was changed */                             \
  X(IDS_XMP_SIDECAR_IS_LINK, 3300)      /* %1 = sidecar */                                      \
  X(IDS_XMP_SIDECAR_NOT_FILE, 3301)     /* %1 = sidecar */                                      \
  X(IDS_XMP_SIDECAR_TOO_LARGE, 3302)    /* %1 = sidecar */                                      \
  X(IDS_XMP_EMBED_HARD_LINKS, 3303)     /* %1 = picture */                                      \
  X(IDS_XMP_EMBED_FOLDER_LOCKED, 3304)  /* %1 = picture */                                      \
  X(IDS_XMP_EMBED_TOO_LARGE, 3305)      /* %1 = picture */                                      \
  X(IDS_XMP_EMBED_NOT_JPEG, 3306)       /* %1 = picture */                                      \
  X(IDS_XMP_EMBED_DAMAGED, 3307)        /* %1 = picture */                                      \
  X(IDS_XMP_EMBED_CHANGED, 3308)        /* %1 = picture */                                      \
  X(IDS_XMP_IN_SIDECAR_INSTEAD, 3309)   /* %1 = sidecar written instead */                      \
  X(IDS_STRIP_FILE_MISSING, 3150)       /* thumbnail strip: the file is not there */           \
  X(IDS_STRIP_FILE_UNREADABLE, 3151)    /* thumbnail strip: the file is no picture */          \
  X(IDS_CLI_USAGE_THUMBNAILS, 3152)                                                            \
  X(IDS_CLI_ABOUT_THUMBNAILS, 3153)                                                            \
  X(IDS_CLI_THUMBNAILS_PROGRESS, 3154)  /* %1 of %2 pictures done */                           \
  X(IDS_CLI_THUMBNAILS_SUMMARY, 3155)   /* %1 made, %2 already there, %3 failed */             \
  X(IDS_PRINT_FILE_UNREADABLE, 3160)    /* %1 = the shown picture's file */                    \
  X(IDS_SAVE_RESTORED, 3400)            /* %1 = album */                                       \
  X(IDS_SAVE_NOT_RESTORED, 3401)        /* %1 = album, %2 = journal file */                    \
  X(IDS_JOURNAL_NOT_WRITTEN, 3402)      /* %1 = album, %2 = journal folder, %3 = cause */      \
  X(IDS_CAMERA_SOURCE_CHANGED, 3403)    /* %1 = card file left on the card */                  \
  X(IDS_CAMERA_LINK_SKIPPED, 3404)      /* %1 = symbolic link on the card */                   \
  X(IDS_CAMERA_NOT_SAVED_KEPT, 3405)    /* moving, the album was not saved */                  \
  X(IDS_CAMERA_KEPT_ON_CARD, 3406)      /* %1 = files copied but left on the card */           \
  X(IDS_RELOCATE_EMPTY_SEARCH, 3407)    /* relocate: empty beginning to replace */             \
  X(IDS_RELOCATE_NOT_UTF8, 3408)        /* %1 = stored name, %2 = refused new name */          \
  X(IDS_RELOCATE_SHARED_NAME, 3409)     /* %1 = stored name, %2 = refused new name */          \
  X(IDS_REFUSE_NOT_A_PICTURE, 3410)     /* why a file stays: no picture or video content */    \
  X(IDS_PERSONS_IMPORTED, 3500)         /* %1 created, %2 lines skipped */                     \
  X(IDS_PRINT_FAILED, 3501)             /* the print job did not start or end */               \
  X(IDS_APP_TITLE, 57344)               /* "Merisk" (kAppTitle) */                            \
  X(IDS_IDLE_MESSAGE, 57345)            /* status bar while nothing else is shown */          \
  X(IDS_HELP_MODE_MESSAGE, 57346)       /* status bar in context-help mode */                 \
  X(IDS_INDICATOR_CAPS, 59137)          /* status pane: caps lock */                          \
  X(IDS_INDICATOR_NUM, 59138)           /* status pane: num lock */                           \
  X(IDS_INDICATOR_SCROLL, 59139)        /* status pane: scroll lock */                        \
  X(IDS_FAILED_TO_OPEN_DOC, 61697)      /* framework: load failure */                         \
  X(IDS_FAILED_TO_SAVE_DOC, 61698)      /* framework: save failure */                         \
  X(IDS_SAVE_CHANGES, 61699)            /* framework: %1 = album title */                     \
  X(IDS_HELP_FAILED, 61703)             /* framework: help could not be shown */              \
  X(IDS_PARSE_INT, 61712)               /* validation: not an integer */                      \
  X(IDS_PARSE_INT_RANGE, 61714)         /* validation: %1, %2 = limits */                     \
  X(IDS_PARSE_UINT, 61719)              /* validation: not a positive integer */              \
  X(IDS_PARSE_DATETIME, 61720)          /* validation: not a date or time */                  \
  X(IDS_UNEXPECTED_FORMAT, 61728)       /* framework: "Unerwartetes Dateiformat." */          \
  X(IDS_FILE_NOT_FOUND, 61729)          /* framework: %1 = file name */                       \
  X(IDS_ACCESS_DENIED, 61730)           /* framework: %1 = file name */                       \
  X(IDS_DISK_FULL, 61731)               /* framework: %1 = file name */                       \
  X(IDS_BUTTON_YES, 61952)              /* message-box buttons */                             \
  X(IDS_BUTTON_NO, 61953)                                                                      \
  X(IDS_BUTTON_OK, 61954)                                                                      \
  X(IDS_BUTTON_CANCEL, 61955)                                                                  \
  X(IDS_BUTTON_HELP, 61956)

/// String identifiers.
enum StringId : int {
#define KOLVARO_STRING_ENUM(name, value) name = value,
  KOLVARO_STRING_IDS(KOLVARO_STRING_ENUM)
#undef KOLVARO_STRING_ENUM
};

/// Every string identifier, in declaration order. A plain array: deducing a
/// std::array of this many elements exceeds clang's template nesting limit.
inline constexpr StringId kAllStringIds[] = {
#define KOLVARO_STRING_LIST(name, value) name,
    KOLVARO_STRING_IDS(KOLVARO_STRING_LIST)
#undef KOLVARO_STRING_LIST
};

/// The text of a string identifier; "" for an unknown one.
std::string_view LoadString(int id);

/// A command's status-bar prompt: its string up to the first '\n' (all of it
/// when there is none).
std::string_view StatusPrompt(int command);

/// A command's tooltip: its string after the first '\n' up to the next one;
/// "" when there is none.
std::string_view ToolTip(int command);

/// The application title, the caption of message boxes without their own.
inline constexpr std::string_view kAppTitle = "Merisk";

/// Why a file operation failed, as the user is told; the one place that
/// reads errno values.
enum class FileFailure {
  kNotFound, kAccessDenied, kDiskFull, kQuotaExhausted, kReadOnly, kTooLarge, kNameTooLong,
  kNotAFolder, kIsAFolder, kNotRegular, kIoError, kBusy, kTooManyOpenFiles, kOther
};
FileFailure FileFailureOf(int error);
/// The German sentence for a cause; "" for kOther (the system's text then).
std::string_view FileFailureText(FileFailure failure);

/// An argument of FormatMessage: a number or a text.
using MessageArg = std::variant<long long, double, std::string>;

/// Formats a text with positional placeholders as Windows' FormatMessage
/// does: "%1", "%1!s!", "%1!i!", "%2!li!", "%1!.2lf!"; "%%" is a percent sign.
std::string FormatMessage(std::string_view format, const std::vector<MessageArg>& args);

}  // namespace kolvaro

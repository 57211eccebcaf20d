/* The test program's version: 8.1, revision 28. Read by the program and by
 * its Windows version resource (ZOLTDLLTestAPP.rc), so it stays plain C. */
#ifndef ZOLT_TESTAPP_VERSION_H_
#define ZOLT_TESTAPP_VERSION_H_

#define ZOLTDLLTESTAPP_VERSION_MAJOR 8
#define ZOLTDLLTESTAPP_VERSION_MINOR 1
#define ZOLTDLLTESTAPP_VERSION_REVISION 28
#define ZOLTDLLTESTAPP_VERSION_TEXT "8.1.0.28"

#endif /* ZOLT_TESTAPP_VERSION_H_ */

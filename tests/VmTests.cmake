# The programs that load the real DLL, run against the shipped i686 DLL inside the emulated
# 32-bit machine. One boot runs them all (tools/i386/vm.sh); each CTest test then reports
# what its program did there.
set(job_dir ${TOLVANIX_VM_JOB})
set(job_script ${job_dir}/job.sh)
# The programs run from a local copy: mapped from the shared folder, their pages can read
# back as zeros.
file(WRITE ${job_script} "#!/bin/sh\n# Written by CMake: the 32-bit test programs, one process each.\n"
    "share=$(cd \"$(dirname \"$0\")\" && pwd)\nmkdir -p /tmp/run \"$share/results\"\n"
    "cp \"$share\"/*.exe \"$share\"/*.dll /tmp/run/\ncd /tmp/run\n"
    "wineserver -p\nwine cmd /c exit >/dev/null 2>&1\n"
    "run() {\n    name=$1\n    shift\n    wine \"$@\" >\"$share/results/$name.out\" 2>&1\n"
    "    echo $? >\"$share/results/$name.code\"\n}\n")

function(vm_test name program)
    file(APPEND ${job_script} "run ${name} ${program}.exe ${ARGN}\n")
    add_test(NAME i686.${name} COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/vm-result.sh ${job_dir} ${name})
endfunction()

vm_test(plugin_module plugin_module_tests)
vm_test(bind_refused bind_refused_tests)
vm_test(setup_dialog setup_dialog_tests)
file(STRINGS ExitSequenceTest.cpp exit_cases REGEX "^TEST_F\\(ExitSequence, [A-Za-z0-9]+\\)")
foreach(case ${exit_cases})
    string(REGEX REPLACE "^TEST_F\\(ExitSequence, ([A-Za-z0-9]+)\\)" "\\1" case ${case})
    vm_test(exit_sequence.${case} exit_sequence_tests --gtest_filter=ExitSequence.${case})
endforeach()
file(APPEND ${job_script} "wineserver -k\n")

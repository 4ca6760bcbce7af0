# The programs that load the real DLL, run against the shipped i686 DLL inside the emulated
# 32-bit machine. One boot runs them all (tools/i386/vm.sh); each CTest test then reports
# what its program did there.
set(job_dir ${TOLVANIX_VM_JOB})
set(program_list ${job_dir}/programs.txt)
configure_file(vm-job.sh ${job_dir}/job.sh COPYONLY)
file(WRITE ${program_list} "")

function(vm_test name program)
    file(APPEND ${program_list} "${name} ${program}.exe ${ARGN}\n")
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

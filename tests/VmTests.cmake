# The programs that load the real DLL, run against the shipped i686 DLL inside the emulated
# 32-bit machine. One boot runs them all (tools/i386/vm.sh); each CTest test then reports
# what its program did there.
set(job_dir ${TOLVANIX_VM_JOB})
set(program_list ${job_dir}/programs.txt)
configure_file(vm-job.sh ${job_dir}/job.sh COPYONLY)
file(WRITE ${program_list} "")

# vm_test(NAME [EACH] [ENVIRONMENT VAR=VALUE...] PROGRAM program [ARGS...]); with EACH, every
# test the program lists runs in a process of its own.
function(vm_test name)
    cmake_parse_arguments(ARG "EACH" "PROGRAM" "ENVIRONMENT;ARGS" ${ARGN})
    list(JOIN ARG_ENVIRONMENT " " environment)
    list(JOIN ARG_ARGS " " arguments)
    set(each "")
    if(ARG_EACH)
        set(each "each")
    endif()
    file(APPEND ${program_list} "${name} ${environment} ${each} ${ARG_PROGRAM}.exe ${arguments}\n")
    add_test(NAME i686.${name} COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/vm-result.sh ${job_dir} ${name})
endfunction()

vm_test(plugin_module PROGRAM plugin_module_tests)
vm_test(bind_refused PROGRAM bind_refused_tests)
vm_test(setup_dialog PROGRAM setup_dialog_tests)
# The Japanese cases, under code page 932 (which Wine takes from the locale).
set(code_page_932 LC_ALL=ja_JP.UTF-8 TOLVANIX_CODE_PAGE=932)
vm_test(setup_dialog_code_page_932 PROGRAM setup_dialog_tests ENVIRONMENT ${code_page_932})
# A module that has shown its ending dialog stays for the process's life: one process a test.
vm_test(exit_sequence EACH PROGRAM exit_sequence_tests ARGS --gtest_filter=-*CodePage932*)
vm_test(exit_sequence_code_page_932 EACH PROGRAM exit_sequence_tests ENVIRONMENT ${code_page_932}
    ARGS --gtest_filter=*CodePage932*)
# Freed memory poisoned, as in make test, and 20 child hosts spread over the cycle.
vm_test(process_end PROGRAM process_end_tests
    ENVIRONMENT WINEDEBUG=-all,err+all,warn+heap TOLVANIX_PROCESS_END_RUNS=20)

# Here, on this machine: the archive holds the very DLL that ran in the machine.
add_test(NAME i686.dist_holds_the_tested_dll COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/check-dist.py
    ${TOLVANIX_DIST_ZIP} ${TOLVANIX_VERSION_TEXT} ${job_dir}/Tolvanix.dll)

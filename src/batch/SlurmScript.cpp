#include "batch/SlurmScript.h"

namespace tarlo::batch {

std::string shellQuoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string slurmScript(const SlurmRequest& request, const RunProgram& program,
                        const std::string& manifest, const std::string& logFolder,
                        std::size_t tasks) {
    std::string script = "#!/bin/sh\n";
    const auto option = [&script](const std::string& name, const std::string& value) {
        script += "#SBATCH --" + name + "=" + value + "\n";
    };
    option("job-name", request.jobName);
    option("array", "0-" + std::to_string(tasks - 1));
    // A run is one thread.
    option("ntasks", "1");
    option("cpus-per-task", "1");
    option("output", logFolder + "task-%a.out");
    if (request.partition)
        option("partition", *request.partition);
    if (request.time)
        option("time", *request.time);
    if (request.memory)
        option("mem", *request.memory);
    script += "# One array task per run: the task index picks the run's line of the manifest.\n";
    script += "exec " + shellQuoted(program.program);
    if (program.settings)
        script += " --settings " + shellQuoted(*program.settings);
    script += " batch-task " + shellQuoted(manifest) + " \"$SLURM_ARRAY_TASK_ID\"\n";
    return script;
}

} // namespace tarlo::batch

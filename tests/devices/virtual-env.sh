# Exports the environment of a run on virtual capture devices (the test
# device plugin, a private registry, the machine's own device providers off).
# Usage: source tests/devices/virtual-env.sh BUILD_DIR
#        then FRAMETIDE_TEST_DEVICES="video:Cam:640x480@30;audio:Mic" BUILD_DIR/Frametide
# Run as a script it prints the export lines instead.
ft_build_dir=$(cd "${1:?usage: virtual-env.sh BUILD_DIR}" && pwd)
ft_providers="v4l2deviceprovider pulsedeviceprovider pipewiredeviceprovider alsadeviceprovider"
ft_providers="$ft_providers decklinkdeviceprovider libcameraprovider"
ft_ranks=""
for ft_p in $ft_providers; do ft_ranks="${ft_ranks:+$ft_ranks,}$ft_p:NONE"; done
ft_env_lines="export GST_PLUGIN_PATH='$ft_build_dir/gst-plugins'
export GST_REGISTRY='$ft_build_dir/gst-registry.bin'
export GST_PLUGIN_FEATURE_RANK='$ft_ranks'"
if (return 0 2>/dev/null); then
  eval "$ft_env_lines"
else
  printf '%s\n' "$ft_env_lines"
fi
unset ft_build_dir ft_providers ft_ranks ft_p ft_env_lines
